#pragma once

#include "varkolin_export.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlRecord;

// Named values handed to a template script, walked in the order of their
// names with a cursor, and a few questions the script may put to the user.
// The public slots are what the script sees.
class VARKOLIN_EXPORT QScriptParams : public QObject
{
    Q_OBJECT
public:
    // Takes every field of the record, when there is one, under its name.
    explicit QScriptParams(QObject *parent = nullptr, QSqlRecord *record = nullptr);

    // Empties the set; the cursor stays where it was.
    void clear();
    // Stores each value under the name of the same position; changes nothing
    // unless both lists are equally long and not empty.
    void setData(const QStringList &names, const QList<QVariant> &values);

public slots:
    int count();
    // Invalid when no parameter has exactly that name.
    QVariant getParam(QString cName);
    bool first();
    bool last();
    bool next();
    bool prev();
    // Empty, or invalid, when the cursor is outside the set.
    QString getCurrentName();
    QVariant getCurrentValue();
    // Asks for a value of the QVariant type code (bool, int, long long,
    // double, string, date, time, date-time) starting from data; invalid
    // when the user cancels or the type is not one of those.
    QVariant getFromUser(QString title, QString label, int dataType, QVariant data);
    // True only when the user answers Yes.
    bool askToUser(QString title, QString ask);
    // The file's text up to its first zero byte, as UTF-8; an empty name lets
    // the user choose the file. Empty when cancelled or unreadable.
    QString getFromFile(QString sFileName);
    QString getFromFile();

private:
    bool cursorInside() const;

    QMap<QString, QVariant> m_params;
    int m_current = 0;
};
