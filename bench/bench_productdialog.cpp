// Filling the product choice tree of a unit: a big catalogue against the
// demo data, with the longest time the dialog went without handling events.

#include "benchtable.h"
#include "hostcontract.h"
#include "productdialog.h"
#include "qdataset.h"
#include "testdatabases.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

#include <time.h>

extern "C" QDataSet *getDocument(QObject *parent);

namespace {

const int typeCount = 500;
const int topTypeCount = 10;
const int middleTypeCount = 70;
const int productCount = 20000;
const int versionsPerProduct = 3;
// Every seventh version is already made by the unit.
const int madeEvery = 7;

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg)
        QTextStream(stderr) << message << Qt::endl;
}

QTextStream out(stdout);

double cpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Wall time of the work in ms; its processor time too when asked, which
// the other programs of a busy machine do not inflate as much.
double timed(const std::function<void()> &work, double *cpu = nullptr)
{
    QElapsedTimer timer;
    const double cpuStart = cpuMs();
    timer.start();
    work();
    if (cpu)
        *cpu = cpuMs() - cpuStart;
    return timer.nsecsElapsed() / 1e6;
}

// Numbers 1..n as a row source "g(n)" for the back end.
QString numbers(const QString &backend, int count)
{
    if (backend == QLatin1String("postgres"))
        return QStringLiteral("(SELECT generate_series(1, %1) AS n) g").arg(count);
    return QStringLiteral("(WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n < %1) "
                          "SELECT n FROM s) g").arg(count);
}

// Types 1..10 are top-level, 11..80 their children, 81..500 the grandchildren.
QString catalogueScript(const QString &backend)
{
    const int firstLeaf = topTypeCount + middleTypeCount + 1;
    const int leavesPerMiddle = (typeCount - firstLeaf + 1) / middleTypeCount;
    const int middlePerTop = middleTypeCount / topTypeCount;
    QStringList script;
    script << QStringLiteral("INSERT INTO dirs.t_item_type (id, id_parent, c_name) "
                             "SELECT n, CASE WHEN n <= %1 THEN NULL WHEN n < %2 THEN 1 + (n - %3) / %4 "
                             "ELSE %3 + (n - %2) / %5 END, 'Вид ' || n FROM %6")
              .arg(topTypeCount).arg(firstLeaf).arg(topTypeCount + 1).arg(middlePerTop)
              .arg(leavesPerMiddle).arg(numbers(backend, typeCount))
           << QStringLiteral("INSERT INTO dirs.t_types_for_products (id) SELECT n FROM %1")
              .arg(numbers(backend, topTypeCount))
           << QStringLiteral("INSERT INTO dirs.t_product (id, id_type, c_name, b_virtual) "
                             "SELECT n, 1 + (n * 37) % %1, 'Изделие ' || n, n % 5 = 0 FROM %2")
              .arg(typeCount).arg(numbers(backend, productCount))
           << QStringLiteral("INSERT INTO dirs.t_product_version (id, id_product, c_name, c_part_num) "
                             "SELECT n, 1 + (n - 1) / %1, 'исп. ' || n, 'ПН-' || n FROM %2")
              .arg(versionsPerProduct).arg(numbers(backend, productCount * versionsPerProduct))
           << QStringLiteral("INSERT INTO t_prod_units (id, c_name, b_is_side) VALUES (1, 'Цех', FALSE)")
           << QStringLiteral("INSERT INTO t_prod_product (id, id_unit, id_version) "
                             "SELECT n, 1, n * %1 FROM %2")
              .arg(madeEvery).arg(numbers(backend, productCount * versionsPerProduct / madeEvery));
    return script.join(QStringLiteral(";\n")) + QLatin1Char(';');
}

struct Counts
{
    int types = 0;
    int products = 0;
    int versions = 0;
};

void count(const QTreeWidgetItem *node, Counts &counts)
{
    if (node->data(0, Qt::UserRole + 2).toLongLong() != 0)
        ++counts.versions;
    else if (node->data(0, Qt::UserRole + 1).isValid())
        ++counts.products;
    else
        ++counts.types;
    for (int i = 0; i < node->childCount(); ++i)
        count(node->child(i), counts);
}

// Shows the dialog, lets its timer fill the tree and reports the figures.
void benchFill(QSqlConnection &connection, qint64 unit, const QString &what, const QString &backend)
{
    QWidget host;
    setHostConnection(&connection);
    QDataSet *document = getDocument(&host);

    ProductDialog dialog(document, unit, &host);
    auto *tree = dialog.findChild<QTreeWidget *>(QStringLiteral("trvProducts"));
    dialog.show();

    // A tick every 5 ms: the first one waits for the tables to load, the
    // longest gap after it is how long the filling dialog did not answer.
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 firstTick = -1;
    qint64 longestGap = 0;
    int ticks = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (firstTick < 0)
            firstTick = now;
        else
            longestGap = qMax(longestGap, now - lastTick);
        lastTick = now;
        ++ticks;
    });

    double fillCpu = 0;
    const double fill = timed([&] {
        clock.start();
        ticker.start(5);
        while (tree->topLevelItemCount() == 0 && clock.elapsed() < 60000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        ticker.stop();
    }, &fillCpu);
    Counts counts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        count(tree->topLevelItem(i), counts);
    double againCpu = 0;
    const double again = timed([&] { dialog.refresh(); }, &againCpu);

    out << "fill for " << what << Qt::endl;
    out << QStringLiteral("  %1 top-level types, %2 types, %3 products, %4 free versions")
           .arg(tree->topLevelItemCount()).arg(counts.types).arg(counts.products).arg(counts.versions)
        << Qt::endl;
    out << QStringLiteral("  shown to filled (1 ms timer)   %1 ms, processor %2 ms").arg(fill, 9, 'f', 1)
           .arg(fillCpu, 0, 'f', 1) << Qt::endl;
    out << QStringLiteral("  refresh() again                %1 ms, processor %2 ms").arg(again, 9, 'f', 1)
           .arg(againCpu, 0, 'f', 1) << Qt::endl;
    out << QStringLiteral("  first 5 ms tick after          %1 ms").arg(firstTick / 1e6, 9, 'f', 1) << Qt::endl;
    out << QStringLiteral("  longest gap between ticks then %1 ms (%2 ticks)")
           .arg(longestGap / 1e6, 9, 'f', 1).arg(ticks) << Qt::endl;
    if (what == QLatin1String("the big catalogue")) {
        tableRow(QStringLiteral("product dialog filled"), backend, fill, QStringLiteral("ms"), QString(), 0, QStringLiteral("< 1000 ms"));
        tableRow(QStringLiteral("product dialog, first answer"), backend, firstTick / 1e6,
                 QStringLiteral("ms"), QString(), 0, QStringLiteral("<= 100 ms"));
        tableRow(QStringLiteral("product dialog, longest wait while filling"), backend, longestGap / 1e6,
                 QStringLiteral("ms"), QString(), 0, QStringLiteral("<= 100 ms"));
    }
    dialog.hide();
}

bool benchBackend(const QString &backend)
{
    TestConnection big;
    if (!big.open(backend, false)) {
        out << backend << ": " << big.error() << Qt::endl;
        return false;
    }
    const double load = timed([&] { big.connection().batchExec(catalogueScript(backend)); });
    out << "== " << backend << Qt::endl;
    out << QStringLiteral("catalogue of %1 types, %2 products, %3 versions written in %4 ms")
           .arg(typeCount).arg(productCount).arg(productCount * versionsPerProduct).arg(load, 0, 'f', 1)
        << Qt::endl;
    benchFill(big.connection(), 1, QStringLiteral("the big catalogue"), backend);

    TestConnection demo;
    if (!demo.open(backend, true)) {
        out << backend << ": " << demo.error() << Qt::endl;
        return false;
    }
    benchFill(demo.connection(), 1, QStringLiteral("the demo data"), backend);
    setHostConnection(nullptr);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qInstallMessageHandler(quietDebug);
    const QStringList backends = qEnvironmentVariable("VARKOLIN_TEST_BACKENDS", QStringLiteral("sqlite"))
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    bool ok = true;
    for (const QString &backend : backends)
        ok = benchBackend(backend) && ok;
    return ok ? 0 : 1;
}
