#pragma once

#include <QSqlQuery>
#include <QStringList>
#include <QVector>

class QDate;
class QSqlConnection;
class QSqlRecord;

// A commit script prepared once for all the rows of a pass, so that the
// database parses it once instead of once a row. Only where the result is
// the same as binding each row's values into the text: inside a transaction
// (nothing reconnects under it) on SQLite, with no trace asked for, for a
// script without quotes, and for values the database binds exactly as their
// literals would be written.
class PreparedScript
{
public:
    PreparedScript(QSqlConnection &connection, const QString &script);
    bool isReady() const { return m_ready; }
    // Runs the script with the record's values; false when it was not ready,
    // could not take a value, or the statement failed (the caller then runs
    // the row the usual way, which reports the failure).
    bool exec(const QSqlRecord &record);
    QSqlQuery &query() { return m_query; }

private:
    // The script with a "?" for each ":name"; empty when a name cannot be told apart.
    static QString placeholderText(const QString &script, QStringList *names);
    static bool bindsAsLiteral(const QVariant &value);
    // A date as the driver would bind it: its ISO text.
    static QVariant isoDate(const QDate &date);

    int fieldOf(const QSqlRecord &record, int name);

    QSqlQuery m_query;
    QStringList m_names;
    // Where each name was found in the last record: the rows of a pass
    // come in records of one layout, and a look-up by name is slow.
    QVector<int> m_fields;
    bool m_ready = false;
};
