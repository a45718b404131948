#pragma once

#include "varkolin_export.h"

#include <QObject>
#include <QStringList>
#include <QVariant>

class QDataTable;
class QJsonArray;

// Settings kept in the database, so that they follow the user from one
// workstation to another. A setting is a (group, key) pair handed to the
// driver's "USER_ATTR_WRITE" and "USER_ATTR_READ" scripts, which decide where
// and for which user it lives. Reaches the database through the host's
// connection; without one, reads give the default and writes fail.
class VARKOLIN_EXPORT QDbSettings : public QObject
{
    Q_OBJECT
public:
    explicit QDbSettings(QObject *parent = nullptr);

    void beginGroup(const QString &group);
    // Back to the group "GLOBAL".
    void endGroup();
    // The path's group and key: "a/b/c" gives "a/b" and "c"; a path without
    // a slash belongs to "GLOBAL"; leading empty parts do not count.
    QStringList splitPath(const QString &path);
    // Stores the value under the path; false when the write did not happen.
    bool setValue(const QString &path, const QVariant &value);
    // The value stored under the path (an int comes back as a 64-bit
    // integer, a date as text); the default when none or empty.
    QVariant value(const QString &path, const QVariant &defaultValue = QVariant());
    // Stores the column widths and order of the table's view under the path.
    void saveTableHeader(const QString &path, QDataTable *table);
    // Applies a stored layout to the table's view when it still fits its
    // columns; otherwise the header stays exactly as it was.
    void restoreTableHeader(const QString &path, QDataTable *table);

private:
    static QString valueText(const QVariant &value);
    static QVariant valueOf(const QString &text, int type);
    bool applyLayout(const QJsonArray &layout, QDataTable *table);

    QString m_group;
};
