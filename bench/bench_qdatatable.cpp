// Loading and committing with QDataTable against what a Qt user would pick
// otherwise: QSqlTableModel, and a bare QSqlQuery loop into a
// QStandardItemModel as the floor.

#include "benchtable.h"
#include "qdatatable.h"
#include "testdatabases.h"

#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QStandardItemModel>
#include <QTextStream>

#include <malloc.h>

namespace {

const int loadRows = qEnvironmentVariableIntValue("VARKOLIN_BENCH_ROWS") > 0
        ? qEnvironmentVariableIntValue("VARKOLIN_BENCH_ROWS") : 100000;
const int commitRows = loadRows / 10;

// The tables trace every announced key; a benchmark wants only its figures.
void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        QTextStream(stderr) << message << Qt::endl;
}

QTextStream out(stdout);

const char benchSchema[] =
        "CREATE TABLE t_bench (id %1, c_name TEXT NOT NULL, n_value DOUBLE PRECISION, "
        "b_flag BOOLEAN NOT NULL, d_day DATE)";

QString fillScript(const QString &backend)
{
    if (backend == QLatin1String("postgres"))
        return QStringLiteral("INSERT INTO t_bench (c_name, n_value, b_flag, d_day) "
                              "SELECT 'Изделие ' || g, g * 0.5, g % 2 = 0, DATE '2026-01-01' + (g % 365) "
                              "FROM generate_series(1, %1) g").arg(loadRows);
    return QStringLiteral("WITH RECURSIVE g(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM g WHERE n < %1) "
                          "INSERT INTO t_bench (c_name, n_value, b_flag, d_day) "
                          "SELECT 'Изделие ' || n, n * 0.5, n % 2 = 0, date('2026-01-01', '+' || (n % 365) || ' days') "
                          "FROM g").arg(loadRows);
}

QDataTable *benchTable(QSqlConnection &c, const QString &where = QString())
{
    auto *table = new QDataTable(QStringLiteral("t_bench"), &c);
    table->setScripts(QStringLiteral("SELECT id, c_name, n_value, b_flag, d_day FROM t_bench %1 ORDER BY id").arg(where),
                      QString(),
                      QStringLiteral("INSERT INTO t_bench (c_name, n_value, b_flag, d_day) VALUES "
                                     "( :c_name , :n_value , :b_flag , :d_day ) "
                                     "RETURNING id, c_name, n_value, b_flag, d_day"),
                      QString(), true);
    table->addColumn(QStringLiteral("id"), QVariant::LongLong, false, QString(), -1);
    table->addColumn(QStringLiteral("c_name"), QVariant::String, true, QStringLiteral("Имя"));
    table->addColumn(QStringLiteral("n_value"), QVariant::Double, true);
    table->addColumn(QStringLiteral("b_flag"), QVariant::Bool, true);
    table->addColumn(QStringLiteral("d_day"), QVariant::Date, true);
    table->setKeyField(QStringLiteral("id"));
    return table;
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

// The best of a few runs of each loader, taken in turns: on a shared
// machine a single run may be slowed by anything else that runs, and a
// slow spell should not fall on one loader only. A million rows are loaded
// twice: once is at the mercy of how the machine hands out memory at that
// moment.
QVector<double> bestInTurns(const QVector<std::function<void()>> &loaders)
{
    QVector<double> best(loaders.size(), 0);
    for (int run = 0; run < (loadRows >= 1000000 ? 2 : 3); ++run) {
        for (int i = 0; i < loaders.size(); ++i) {
            const double ms = timed(loaders.at(i));
            best[i] = run == 0 ? ms : qMin(best.at(i), ms);
        }
    }
    return best;
}

void report(const QString &what, double ms, double other, const QString &otherName, double floor)
{
    out << QStringLiteral("  %1 %2 ms").arg(what, -34).arg(ms, 9, 'f', 1);
    if (other > 0)
        out << QStringLiteral("   x%1 of %2").arg(ms / other, 0, 'f', 2).arg(otherName);
    if (floor > 0)
        out << QStringLiteral("   x%1 of the floor").arg(ms / floor, 0, 'f', 2);
    out << Qt::endl;
}

// The floor: a bare forward-only query, one item a cell with the value as it comes.
void fillByHand(QSqlConnection &c, QStandardItemModel &model)
{
    QSqlQuery query(c.db);
    query.setForwardOnly(true);
    query.exec(QStringLiteral("SELECT id, c_name, n_value, b_flag, d_day FROM t_bench ORDER BY id"));
    while (query.next()) {
        QList<QStandardItem *> items;
        for (int i = 0; i < 5; ++i) {
            auto *item = new QStandardItem;
            item->setData(query.value(i), Qt::DisplayRole);
            items.append(item);
        }
        model.appendRow(items);
    }
}

void benchLoad(QSqlConnection &c, const QString &backend)
{
    // The floor first, untimed: the first load of a process also pays for
    // the memory it takes from the system, whichever loader comes first.
    const auto floorLoad = [&] {
        QStandardItemModel model;
        fillByHand(c, model);
    };
    floorLoad();
    const QVector<double> best = bestInTurns({[&] {
        QDataTable *table = benchTable(c);
        table->open();
        Q_ASSERT(table->rowCount() == loadRows);
        delete table;
    }, [&] {
        QSqlTableModel model(nullptr, c.db);
        model.setTable(QStringLiteral("t_bench"));
        model.setSort(0, Qt::AscendingOrder);
        model.select();
        while (model.canFetchMore())
            model.fetchMore();
        Q_ASSERT(model.rowCount() == loadRows);
    }, floorLoad});
    const double dataTable = best.at(0);
    const double tableModel = best.at(1);
    const double floor = best.at(2);
    out << QStringLiteral("load %1 rows x 5 columns").arg(loadRows) << Qt::endl;
    report(QStringLiteral("QDataTable::open"), dataTable, tableModel, QStringLiteral("QSqlTableModel"), floor);
    tableRow(QStringLiteral("load %1 rows").arg(loadRows), backend, dataTable, QStringLiteral("ms"),
             QStringLiteral("QSqlQuery into QStandardItemModel"), floor, QStringLiteral("<= 2x"), dataTable * 1000 / loadRows);
    report(QStringLiteral("QSqlTableModel::select+fetchMore"), tableModel, 0, QString(), floor);
    report(QStringLiteral("QSqlQuery into QStandardItemModel"), floor, 0, QString(), 0);
}

// Bytes the heap holds in use, as the C library counts them.
qint64 heapInUse()
{
    return qint64(mallinfo2().uordblks);
}

// What the loaded rows take from the heap, against the same values typed
// into a QStandardItemModel by hand, one item per cell.
void benchMemory(QSqlConnection &c, const QString &backend)
{
    qint64 before = heapInUse();
    QDataTable *table = benchTable(c);
    table->open();
    const qint64 ours = heapInUse() - before;
    before = heapInUse();
    auto *model = new QStandardItemModel;
    fillByHand(c, *model);
    const qint64 theirs = heapInUse() - before;
    out << QStringLiteral("memory after loading %1 rows: QDataTable %2 MB, QStandardItemModel %3 MB")
           .arg(loadRows).arg(ours / 1e6, 0, 'f', 1).arg(theirs / 1e6, 0, 'f', 1) << Qt::endl;
    tableRow(QStringLiteral("memory, %1 rows loaded").arg(loadRows), backend, ours / 1e6, QStringLiteral("MB"),
             QStringLiteral("QStandardItemModel filled by hand"), theirs / 1e6, QStringLiteral("<= 1.3x"));
    delete model;
    delete table;
}

double commitWithDataTable(QSqlConnection &c, int rows)
{
    QDataTable *table = benchTable(c, QStringLiteral("WHERE 1 = 0"));
    table->open();
    QSqlRecord record;
    for (int i = 0; i < rows; ++i) {
        record = table->newRow(false);
        record.setValue(1, QStringLiteral("Новое %1").arg(i));
        record.setValue(2, i * 0.25);
        record.setValue(3, i % 3 == 0);
        record.setValue(4, QDate(2026, 12, 6));
        table->setRow(table->lastRow(), record, false);
    }
    const double ms = timed([&] {
        c.beginTransaction();
        const bool ok = table->commit();
        c.commitTransaction();
        if (!ok)
            out << "  QDataTable::commit failed" << Qt::endl;
    });
    delete table;
    return ms;
}

double commitWithTableModel(QSqlConnection &c, int rows)
{
    QSqlTableModel model(nullptr, c.db);
    model.setTable(QStringLiteral("t_bench"));
    model.setEditStrategy(QSqlTableModel::OnManualSubmit);
    model.setFilter(QStringLiteral("1 = 0"));
    model.select();
    QSqlRecord record = model.record();
    record.setGenerated(0, false);
    for (int i = 0; i < rows; ++i) {
        record.setValue(1, QStringLiteral("Новое %1").arg(i));
        record.setValue(2, i * 0.25);
        record.setValue(3, i % 3 == 0);
        record.setValue(4, QDate(2026, 12, 6));
        model.insertRecord(-1, record);
    }
    return timed([&] {
        c.db.transaction();
        if (!model.submitAll())
            out << "  submitAll failed: " << model.lastError().text() << Qt::endl;
        c.db.commit();
    });
}

void benchCommit(QSqlConnection &c, const QString &backend)
{
    // The best of three, in turns, as for the loads: each commit writes new rows of its own.
    double dataTable = 0;
    double tableModel = 0;
    for (int run = 0; run < 3; ++run) {
        const double ours = commitWithDataTable(c, commitRows);
        const double theirs = commitWithTableModel(c, commitRows);
        dataTable = run == 0 ? ours : qMin(dataTable, ours);
        tableModel = run == 0 ? theirs : qMin(tableModel, theirs);
    }
    out << QStringLiteral("commit %1 new rows in a transaction").arg(commitRows) << Qt::endl;
    report(QStringLiteral("QDataTable::commit"), dataTable, tableModel, QStringLiteral("submitAll"), 0);
    tableRow(QStringLiteral("commit %1 new rows").arg(commitRows), backend, dataTable, QStringLiteral("ms"),
             QStringLiteral("QSqlTableModel::submitAll"), tableModel, QStringLiteral("<= 2x"), dataTable * 1000 / commitRows);
    report(QStringLiteral("QSqlTableModel::submitAll"), tableModel, 0, QString(), 0);
    const double large = commitWithDataTable(c, commitRows * 10);
    out << QStringLiteral("commit %1 new rows: %2 ms, %3 us a row (%4 us a row at %5)")
           .arg(commitRows * 10).arg(large, 0, 'f', 1).arg(large * 100 / commitRows, 0, 'f', 1)
           .arg(dataTable * 1000 / commitRows, 0, 'f', 1).arg(commitRows) << Qt::endl;
    tableRow(QStringLiteral("commit %1 new rows, cost per row").arg(commitRows * 10), backend, large, QStringLiteral("ms"), QString(), 0,
             QStringLiteral("-"), large * 100 / commitRows);
}

bool benchBackend(const QString &backend)
{
    TestConnection tc;
    if (!tc.open(backend, false)) {
        out << backend << ": " << tc.error() << Qt::endl;
        return false;
    }
    QSqlConnection &c = tc.connection();
    const QString key = backend == QLatin1String("postgres")
            ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
            : QStringLiteral("INTEGER PRIMARY KEY");
    if (!c.batchExec(QString::fromLatin1(benchSchema).arg(key) + QLatin1Char(';') + fillScript(backend))) {
        out << backend << ": cannot fill the table" << Qt::endl;
        return false;
    }
    out << "== " << backend << Qt::endl;
    benchLoad(c, backend);
    if (!qEnvironmentVariableIsSet("VARKOLIN_BENCH_LOAD_ONLY"))
        benchMemory(c, backend);
    if (!qEnvironmentVariableIsSet("VARKOLIN_BENCH_LOAD_ONLY"))
        benchCommit(c, backend);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qInstallMessageHandler(quietDebug);
    // Memory freed by one loader stays with the process for the next one,
    // instead of going back to the system and being faulted in again.
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    const QStringList backends = qEnvironmentVariable("VARKOLIN_TEST_BACKENDS", QStringLiteral("sqlite"))
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    bool ok = true;
    for (const QString &backend : backends)
        ok = benchBackend(backend) && ok;
    return ok ? 0 : 1;
}
