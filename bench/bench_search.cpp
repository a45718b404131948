// Filters, look-ups and row copies with QDataTable against what a Qt user
// would write otherwise: a QSortFilterProxyModel for filters, and a plain
// loop over the model for look-ups and copies. The tables live in memory,
// so no database is needed.

#include "benchtable.h"
#include "qdatatable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTableView>
#include <QTextStream>

#include <functional>

namespace {

const int tableRows = qEnvironmentVariableIntValue("VARKOLIN_BENCH_ROWS") > 0
        ? qEnvironmentVariableIntValue("VARKOLIN_BENCH_ROWS") : 100000;
const int groupCount = 10;
const int locateCalls = tableRows / 10;
// Three rows a value, spread over the table, for the row copies.
const int copyValues = tableRows / 5;
const int copySourceRows = copyValues * 3;
// A method slower than this stops early and is compared per call, so that
// one slow method cannot hold the whole run up.
const double budgetMs = qEnvironmentVariableIntValue("VARKOLIN_BENCH_BUDGET_S") > 0
        ? qEnvironmentVariableIntValue("VARKOLIN_BENCH_BUDGET_S") * 1000.0 : 60000.0;

// The tables trace every announced key; a benchmark wants only its figures.
void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        QTextStream(stderr) << message << Qt::endl;
}

QTextStream out(stdout);
bool resultsAgree = true;

// Methods that disagree make every figure worthless, so they are reported
// but the run goes on to show where else they differ.
void check(bool ok, const QString &what)
{
    if (ok)
        return;
    resultsAgree = false;
    out << "  WARNING: " << what << Qt::endl;
}

double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

struct Calls
{
    int made = 0;
    int wanted = 0;
    double ms = 0;
    double usPerCall() const { return made > 0 ? ms * 1000 / made : 0; }
};

Calls timedCalls(int wanted, const std::function<void(int)> &work)
{
    Calls calls;
    calls.wanted = wanted;
    QElapsedTimer timer;
    timer.start();
    while (calls.made < wanted) {
        work(calls.made++);
        if (timer.elapsed() > budgetMs)
            break;
    }
    calls.ms = timer.nsecsElapsed() / 1e6;
    return calls;
}

// Indexed searches run thousands of times faster than the loops, which two
// decimals would show as x0.00.
QString ratioText(double ratio)
{
    return ratio >= 1 ? QString::number(ratio, 'f', 2) : QString::number(ratio, 'g', 3);
}

void report(const QString &what, double ms, double other, const QString &otherName)
{
    out << QStringLiteral("  %1 %2 ms").arg(what, -38).arg(ms, 9, 'f', 1);
    if (other > 0)
        out << QStringLiteral("   x%1 of %2").arg(ratioText(ms / other), otherName);
    out << Qt::endl;
}

// Calls cut short by the budget have a smaller total, so the ratio is taken
// per call.
void report(const QString &what, const Calls &calls, const Calls *other, const QString &otherName)
{
    out << QStringLiteral("  %1 %2 ms %3 us a call").arg(what, -38).arg(calls.ms, 9, 'f', 1)
           .arg(calls.usPerCall(), 9, 'f', 2);
    if (other && other->usPerCall() > 0)
        out << QStringLiteral("   x%1 of %2").arg(ratioText(calls.usPerCall() / other->usPerCall()), otherName);
    if (calls.made < calls.wanted)
        out << QStringLiteral("   (stopped after %1 of %2 calls: over %3 s)")
               .arg(calls.made).arg(calls.wanted).arg(budgetMs / 1000, 0, 'f', 0);
    out << Qt::endl;
}

void addColumn(QDataTable &table, const QString &name, QVariant::Type type, int flags = 0)
{
    table.addColumn(name, type, true, name, 0, 100, QVariant(), flags);
}

// Rows enter as loaded values, the way a select would leave them.
void fill(QDataTable &table, int rows, const std::function<void(QSqlRecord &, int)> &values)
{
    table.open();
    for (int row = 0; row < rows; ++row) {
        QSqlRecord record = table.newRow(false);
        values(record, row);
        table.setRow(table.lastRow(), record, true);
    }
}

QString groupName(int row)
{
    return QStringLiteral("G%1").arg(row % groupCount);
}

int shownRows(const QTableView &view, int rows)
{
    int shown = 0;
    for (int row = 0; row < rows; ++row)
        shown += view.isRowHidden(row) ? 0 : 1;
    return shown;
}

void benchFilter()
{
    QDataTable table(QStringLiteral("t_filter"), nullptr);
    addColumn(table, QStringLiteral("id"), QVariant::LongLong);
    addColumn(table, QStringLiteral("c_name"), QVariant::String);
    addColumn(table, QStringLiteral("c_group"), QVariant::String, ColumnTextIndex);
    fill(table, tableRows, [](QSqlRecord &record, int row) {
        record.setValue(0, qlonglong(row) + 1);
        record.setValue(1, QStringLiteral("Изделие %1").arg(row + 1));
        record.setValue(2, groupName(row));
    });
    // Bound after the rows are in, so that the view does not take part in the fill.
    QTableView view;
    table.setView(&view);
    const QString group = QStringLiteral("c_group");
    const QString picked = groupName(3);
    int expected = 0;
    for (int row = 0; row < tableRows; ++row)
        expected += groupName(row) == picked ? 1 : 0;

    const double keep = timed([&] { table.setFilter(group, picked, FilterKeep); });
    const int kept = table.visibleRowCount();
    check(kept == expected, QStringLiteral("the keep filter shows %1 rows, %2 expected").arg(kept).arg(expected));
    check(shownRows(view, tableRows) == kept, QStringLiteral("the view shows other rows than visibleRowCount says"));
    const double keepCleared = timed([&] { table.clearAllFilters(); });
    check(table.visibleRowCount() == tableRows && shownRows(view, tableRows) == tableRows,
          QStringLiteral("rows stay hidden after clearAllFilters"));

    const double hide = timed([&] { table.setFilter(group, picked, FilterHide); });
    const int notHidden = table.visibleRowCount();
    check(notHidden == tableRows - expected,
          QStringLiteral("the hide filter shows %1 rows, %2 expected").arg(notHidden).arg(tableRows - expected));
    const double hideCleared = timed([&] { table.clearAllFilters(); });

    // A user narrowing a list picks one value after another without clearing.
    const QString next = groupName(4);
    table.setFilter(group, picked, FilterKeep);
    const double switched = timed([&] { table.setFilter(group, next, FilterKeep); });
    check(table.visibleRowCount() == expected, QStringLiteral("switching the keep filter shows %1 rows, %2 expected")
          .arg(table.visibleRowCount()).arg(expected));
    table.clearAllFilters();

    QSortFilterProxyModel proxy;
    proxy.setSourceModel(table.getModel());
    proxy.setFilterKeyColumn(2);
    QTableView proxyView;
    proxyView.setModel(&proxy);
    const double proxyKeep = timed([&] { proxy.setFilterFixedString(picked); });
    const int proxyKept = proxy.rowCount();
    const double proxyKeepCleared = timed([&] { proxy.setFilterFixedString(QString()); });
    proxy.setFilterFixedString(picked);
    const double proxySwitched = timed([&] { proxy.setFilterFixedString(next); });
    check(proxy.rowCount() == expected, QStringLiteral("switching the proxy filter shows %1 rows, %2 expected")
          .arg(proxy.rowCount()).arg(expected));
    proxy.setFilterFixedString(QString());
    const QRegularExpression others(QStringLiteral("^(?!%1$)").arg(QRegularExpression::escape(picked)));
    const double proxyHide = timed([&] { proxy.setFilterRegularExpression(others); });
    const int proxyNotHidden = proxy.rowCount();
    const double proxyHideCleared = timed([&] { proxy.setFilterRegularExpression(QRegularExpression()); });
    check(proxyKept == kept, QStringLiteral("the proxy keeps %1 rows, the table %2").arg(proxyKept).arg(kept));
    check(proxyNotHidden == notHidden,
          QStringLiteral("the proxy hides down to %1 rows, the table to %2").arg(proxyNotHidden).arg(notHidden));
    check(proxy.rowCount() == tableRows, QStringLiteral("the proxy still filters after clearing"));

    out << QStringLiteral("filter %1 rows by display text, %2 groups (visible: table %3, proxy %4; "
                          "hiding: table %5, proxy %6)")
           .arg(tableRows).arg(groupCount).arg(kept).arg(proxyKept).arg(notHidden).arg(proxyNotHidden)
        << Qt::endl;
    report(QStringLiteral("setFilter keep"), keep, proxyKeep, QStringLiteral("proxy"));
    tableRow(QStringLiteral("filter %1 rows by display text").arg(tableRows), QStringLiteral("-"), keep, QStringLiteral("ms"),
             QStringLiteral("QSortFilterProxyModel::setFilterFixedString"), proxyKeep, QStringLiteral("<= 1x"));
    report(QStringLiteral("clearAllFilters after keep"), keepCleared, proxyKeepCleared, QStringLiteral("proxy"));
    report(QStringLiteral("setFilter + clear, keep"), keep + keepCleared, proxyKeep + proxyKeepCleared,
           QStringLiteral("proxy"));
    report(QStringLiteral("setFilter keep, another value"), switched, proxySwitched, QStringLiteral("proxy"));
    report(QStringLiteral("setFilter hide"), hide, proxyHide, QStringLiteral("proxy"));
    report(QStringLiteral("clearAllFilters after hide"), hideCleared, proxyHideCleared, QStringLiteral("proxy"));
    report(QStringLiteral("proxy setFilterFixedString"), proxyKeep, 0, QString());
    report(QStringLiteral("proxy clear after fixed string"), proxyKeepCleared, 0, QString());
    report(QStringLiteral("proxy another fixed string"), proxySwitched, 0, QString());
    report(QStringLiteral("proxy setFilterRegularExpression"), proxyHide, 0, QString());
    report(QStringLiteral("proxy clear after expression"), proxyHideCleared, 0, QString());
}

void benchLocate()
{
    QDataTable table(QStringLiteral("t_locate"), nullptr);
    addColumn(table, QStringLiteral("id"), QVariant::LongLong, ColumnHashIndex);
    addColumn(table, QStringLiteral("n_code"), QVariant::LongLong);
    addColumn(table, QStringLiteral("c_name"), QVariant::String);
    fill(table, tableRows, [](QSqlRecord &record, int row) {
        record.setValue(0, qlonglong(row) + 1);
        record.setValue(1, qlonglong(row) + 1);
        record.setValue(2, QStringLiteral("Изделие %1").arg(row + 1));
    });
    // 7919 is prime, so the values are all different and spread over the table.
    QVector<QVariant> values(locateCalls);
    for (int i = 0; i < locateCalls; ++i)
        values[i] = qlonglong(i) * 7919 % tableRows + 1;

    const QString id = QStringLiteral("id");
    const QString code = QStringLiteral("n_code");
    QVector<int> byHash(locateCalls, -2);
    QVector<int> byField(locateCalls, -2);
    QVector<int> byLoop(locateCalls, -2);
    // The index is built on first use; like the hand-built QHash below, its
    // building is left out of the timing.
    table.locate(id, values.at(0));
    const Calls hashed = timedCalls(locateCalls, [&](int i) { byHash[i] = table.locate(id, values.at(i)); });
    // The first search of a field without an index pays for what the table
    // prepares for the next ones; it is shown apart.
    const double first = timed([&] { byField[0] = table.locate(code, values.at(0)); });
    Calls unindexed = timedCalls(locateCalls - 1, [&](int i) {
        byField[i + 1] = table.locate(code, values.at(i + 1));
    });
    const Calls later = unindexed;
    unindexed.made += 1;
    unindexed.wanted += 1;
    unindexed.ms += first;
    const QStandardItemModel *model = table.getModel();
    const Calls looped = timedCalls(locateCalls, [&](int i) {
        int found = -1;
        for (int row = 0; row < model->rowCount() && found < 0; ++row) {
            if (model->item(row, 1)->data(Qt::UserRole + 2) == values.at(i))
                found = row;
        }
        byLoop[i] = found;
    });

    int disagreements = 0;
    for (int i = 0; i < locateCalls; ++i) {
        const bool holds = byHash.at(i) >= 0 && model->item(byHash.at(i), 0)->data(CurrentValueRole) == values.at(i);
        if (!holds || (i < unindexed.made && byField.at(i) != byHash.at(i))
                || (i < looped.made && byLoop.at(i) != byHash.at(i)))
            ++disagreements;
    }
    check(disagreements == 0, QStringLiteral("locate finds other rows in %1 of %2 calls")
          .arg(disagreements).arg(locateCalls));

    // What a Qt user would write by hand: a QHash from the key to the row.
    QHash<qlonglong, int> rowOfKey;
    for (int row = 0; row < model->rowCount(); ++row)
        rowOfKey.insert(model->item(row, 0)->data(CurrentValueRole).toLongLong(), row);
    QVector<int> byQHash(locateCalls, -2);
    const Calls handHash = timedCalls(locateCalls, [&](int i) { byQHash[i] = rowOfKey.value(values.at(i).toLongLong(), -1); });
    check(byQHash == byHash, QStringLiteral("the hand-built QHash finds other rows"));

    out << QStringLiteral("locate %1 values in %2 rows").arg(locateCalls).arg(tableRows) << Qt::endl;
    report(QStringLiteral("QHash built by hand"), handHash, &hashed, QStringLiteral("hash index"));
    tableRow(QStringLiteral("%1 lookups by key (a call)").arg(locateCalls), QStringLiteral("-"), hashed.usPerCall(),
             QStringLiteral("us"), QStringLiteral("QHash built by hand"), handHash.usPerCall(), QStringLiteral("<= 3x"));
    report(QStringLiteral("locate, hash index"), hashed, &looped, QStringLiteral("the loop"));
    report(QStringLiteral("locate, no index"), unindexed, &looped, QStringLiteral("the loop"));
    report(QStringLiteral("  first call"), first, later.usPerCall() / 1000, QStringLiteral("a later call"));
    report(QStringLiteral("  later calls"), later, &hashed, QStringLiteral("hash index"));
    report(QStringLiteral("loop over the model"), looped, nullptr, QString());
}

void fillCopySource(QDataTable &table, int flags)
{
    addColumn(table, QStringLiteral("id"), QVariant::LongLong);
    addColumn(table, QStringLiteral("id_group"), QVariant::LongLong, flags);
    addColumn(table, QStringLiteral("c_name"), QVariant::String);
    fill(table, copySourceRows, [](QSqlRecord &record, int row) {
        record.setValue(0, qlonglong(row) + 1);
        record.setValue(1, qlonglong(row % copyValues));
        record.setValue(2, QStringLiteral("Изделие %1").arg(row + 1));
    });
}

// The ids the copy of one value must hold, in the source's order.
QList<qlonglong> expectedIds(qlonglong value)
{
    QList<qlonglong> ids;
    for (int row = int(value); row < copySourceRows; row += copyValues)
        ids << qlonglong(row) + 1;
    return ids;
}

void checkCopy(QDataTable &target, qlonglong value, const QString &how)
{
    QList<qlonglong> ids;
    bool sameValue = true;
    for (int row = 0; row < target.rowCount(); ++row) {
        const QSqlRecord record = target.getRecord(row, false);
        ids << record.value(QStringLiteral("id")).toLongLong();
        sameValue = sameValue && record.value(QStringLiteral("id_group")).toLongLong() == value;
    }
    check(sameValue && ids == expectedIds(value),
          QStringLiteral("getRows %1 copied wrong rows for %2").arg(how).arg(value));
}

void benchGetRows()
{
    QDataTable plain(QStringLiteral("t_rows"), nullptr);
    fillCopySource(plain, 0);
    QDataTable indexed(QStringLiteral("t_rows_indexed"), nullptr);
    fillCopySource(indexed, ColumnHashIndex);
    QDataTable target(QStringLiteral("tmp"), nullptr);
    const QString group = QStringLiteral("id_group");

    int shortCopies = 0;
    const auto copy = [&](QDataTable &source, int value) {
        source.getRows(&target, group, qlonglong(value));
        if (target.rowCount() != 3)
            ++shortCopies;
    };
    const double first = timed([&] { copy(plain, 0); });
    Calls unindexed = timedCalls(copyValues - 1, [&](int i) { copy(plain, i + 1); });
    checkCopy(target, unindexed.made, QStringLiteral("without index"));
    unindexed.made += 1;
    unindexed.wanted += 1;
    unindexed.ms += first;
    check(shortCopies == 0, QStringLiteral("getRows without index copied other than 3 rows %1 times").arg(shortCopies));

    shortCopies = 0;
    const Calls hashed = timedCalls(copyValues, [&](int i) { copy(indexed, i); });
    checkCopy(target, hashed.made - 1, QStringLiteral("with a hash index"));
    check(shortCopies == 0, QStringLiteral("getRows with a hash index copied other than 3 rows %1 times").arg(shortCopies));

    QStandardItemModel copies;
    const QStandardItemModel *model = plain.getModel();
    const int columns = model->columnCount();
    shortCopies = 0;
    const Calls looped = timedCalls(copyValues, [&](int i) {
        const QVariant value = qlonglong(i);
        copies.removeRows(0, copies.rowCount());
        for (int row = 0; row < model->rowCount(); ++row) {
            if (model->item(row, 1)->data(Qt::UserRole + 2) != value)
                continue;
            QList<QStandardItem *> items;
            for (int column = 0; column < columns; ++column) {
                const QStandardItem *source = model->item(row, column);
                auto *item = new QStandardItem(source->text());
                item->setData(source->data(Qt::UserRole + 2), Qt::UserRole + 2);
                items.append(item);
            }
            copies.appendRow(items);
        }
        if (copies.rowCount() != 3)
            ++shortCopies;
    });
    check(shortCopies == 0, QStringLiteral("the loop copied other than 3 rows %1 times").arg(shortCopies));

    out << QStringLiteral("getRows, %1 values x 3 rows of %2").arg(copyValues).arg(copySourceRows) << Qt::endl;
    report(QStringLiteral("getRows, no index"), unindexed, &looped, QStringLiteral("the loop"));
    report(QStringLiteral("  first call"), first, 0, QString());
    report(QStringLiteral("getRows, hash index"), hashed, &looped, QStringLiteral("the loop"));
    report(QStringLiteral("loop into QStandardItemModel"), looped, nullptr, QString());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qInstallMessageHandler(quietDebug);
    // VARKOLIN_BENCH_CASE=filter, locate or rows runs one case alone (for a profiler).
    const QString only = qEnvironmentVariable("VARKOLIN_BENCH_CASE");
    if (only.isEmpty() || only == QLatin1String("filter"))
        benchFilter();
    if (only.isEmpty() || only == QLatin1String("locate"))
        benchLocate();
    if (only.isEmpty() || only == QLatin1String("rows"))
        benchGetRows();
    return resultsAgree ? 0 : 1;
}
