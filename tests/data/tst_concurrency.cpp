#include "qdatatable.h"
#include "testdatabases.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <memory>

// Two users on one database, each on a connection of his own: an update or
// delete matches the unit as its user read it, so that nobody writes over
// what the other saved without seeing it.
class tst_Concurrency : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase_data() { TestDatabases::addBackendRows(); }
    void reportsConflicts_data();
    void reportsConflicts();
    void soaksTwoWriters();
};

namespace {

const char conflictText[] = "изменена или удалена другим пользователем";

std::unique_ptr<QDataTable> units(TestConnection &tc)
{
    auto table = std::make_unique<QDataTable>(QStringLiteral("t_prod_units"), &tc.connection());
    table->setScripts("PROD_UNITS_SELECT", "PROD_UNITS_UPDATE", "PROD_UNITS_INSERT", "PROD_UNITS_DELETE", false);
    table->setKeyField(QStringLiteral("id"));
    table->open();
    return table;
}

// Works a step on the unit, "field=value" or "delete", and commits.
bool commitStep(QDataTable *table, qlonglong id, const QString &step)
{
    const int row = table->locate(QStringLiteral("id"), id);
    QSqlRecord record = table->getRecord(row);
    record.setValue(step.section('=', 0, 0), step.section('=', 1));
    if (step == QLatin1String("delete") ? !table->deleteRow(row) : !table->setRow(row, record, false))
        return false;
    return table->commit();
}

QString stored(TestConnection &tc, qlonglong id)
{
    return tc.connection().execScript(QStringLiteral(
            "SELECT c_name || CASE WHEN id_storage = 3 THEN '|3' ELSE '' END FROM t_prod_units WHERE id = %1").arg(id)).toString();
}

// A writer of the soak, in a process of its own, renames the first units at
// random. Each commit prints a line: the unit, the name it replaced and the
// new one, or "-" for a conflict, after which the writer reads the units again.
int soakWriter(const QString &url, int writer)
{
    TestConnection tc;
    if (!tc.connectTo(url))
        return 2;
    std::unique_ptr<QDataTable> table = units(tc);
    QTextStream out(stdout);
    QElapsedTimer clock;
    clock.start();
    for (int commit = 0; commit < 1500 && clock.elapsed() < 20000; ++commit) {
        // A pause between commits, as users make, lets the other writer in:
        // without it SQLite's lock goes to whoever just had it.
        QThread::usleep(QRandomGenerator::global()->bounded(1000));
        const qlonglong id = 1 + QRandomGenerator::global()->bounded(4);
        const QString old = table->getField("c_name", table->locate("id", id)).toString();
        const QString name = QStringLiteral("w%1-%2").arg(writer).arg(commit);
        if (commitStep(table.get(), id, "c_name=" + name)) {
            out << id << '\t' << old << '\t' << name << '\n';
            continue;
        }
        if (!table->lastError().contains(QString::fromUtf8(conflictText)))
            return 1;
        out << "-\n";
        table->close();
        table->open();
    }
    return 0;
}

} // namespace

void tst_Concurrency::reportsConflicts_data()
{
    QTest::addColumn<qlonglong>("unit");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("stored");
    QTest::newRow("same unit, same column") << 1LL << "c_name=Первый" << "c_name=Второй" << "Второй";
    QTest::newRow("same unit, other column") << 1LL << "c_name=Первый" << "id_storage=3" << "Первый|3";
    QTest::newRow("different units") << 2LL << "c_name=Первый" << "c_name=Второй" << "Первый";
    QTest::newRow("delete against an edit") << 1LL << "c_name=Первый" << "delete" << "";
    QTest::newRow("edit against a delete") << 1LL << "delete" << "c_name=Второй" << "";
    QTest::newRow("delete against a delete") << 1LL << "delete" << "delete" << "";
}

// The second user's commit on the unit the first one saved meanwhile is a
// conflict that writes nothing and keeps the work; after a reload the same
// work goes through, unless the unit is gone. Gone for both is no conflict.
void tst_Concurrency::reportsConflicts()
{
    QFETCH_GLOBAL(QString, backend);
    QFETCH(qlonglong, unit);
    QFETCH(QString, first);
    QFETCH(QString, second);
    TestConnection one, other;
    OPEN_TEST_CONNECTION(one, backend, true);
    QVERIFY2(other.connectTo(one.url()), qPrintable(other.error()));
    std::unique_ptr<QDataTable> mine = units(one), theirs = units(other);
    QVERIFY2(commitStep(mine.get(), 1, first), qPrintable(mine->lastError()));
    const bool conflicts = unit == 1 && second != first;
    QCOMPARE(commitStep(theirs.get(), unit, second), !conflicts);
    if (conflicts) {
        QVERIFY2(theirs->lastError().contains(QString::fromUtf8(conflictText)), qPrintable(theirs->lastError()));
        QVERIFY(theirs->isModified() && theirs->rowCount() == mine->rowCount() + (first == "delete"));
        QCOMPARE(stored(one, 1), first.section('=', 1));
        theirs->close();
        theirs->open();
        QVERIFY(first == "delete" || commitStep(theirs.get(), 1, second));
    }
    QTEST(stored(one, 1), "stored");
}

// Two processes rename the same four units at once. The commits that
// reported success on a unit must chain, each replacing the name the one
// before it wrote, and end at the stored name: a success off the chain was
// a lost update.
void tst_Concurrency::soaksTwoWriters()
{
    QFETCH_GLOBAL(QString, backend);
    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, backend, true);
    QStringList names;
    for (qlonglong id = 1; id <= 4; ++id)
        names << stored(tc, id);
    QProcess writers[2];
    for (int writer = 0; writer < 2; ++writer) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VARKOLIN_SOAK_WRITER", QString::number(writer) + tc.url());
        writers[writer].setProcessEnvironment(env);
        writers[writer].setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writers[writer].start(QCoreApplication::applicationFilePath(), QStringList());
    }
    QHash<QString, QString> next;
    int commits = 0, conflicts = 0, lost = 0;
    for (QProcess &writer : writers) {
        QVERIFY(writer.waitForFinished(60000) && writer.exitCode() == 0);
        const QStringList lines = QString::fromUtf8(writer.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        for (const QString &line : lines) {
            const QStringList write = line.split('\t');
            ++commits;
            conflicts += write.size() == 1;
            lost += write.size() == 3 && next.contains(write[0] + write[1]);
            if (write.size() == 3)
                next.insert(write[0] + write[1], write[2]);
        }
    }
    for (qlonglong id = 1; id <= 4; ++id) {
        QString name = names[id - 1];
        while (next.contains(QString::number(id) + name))
            name = next.take(QString::number(id) + name);
        lost += stored(tc, id) != name;
    }
    lost += next.size();
    qInfo("%d commits, %d conflicts reported, %d lost updates", commits, conflicts, lost);
    QVERIFY(commits > 1000 && conflicts > 0);
    QCOMPARE(lost, 0);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString writer = qEnvironmentVariable("VARKOLIN_SOAK_WRITER");
    if (!writer.isEmpty())
        return soakWriter(writer.mid(1), writer.left(1).toInt());
    tst_Concurrency test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_concurrency.moc"
