#include "crossmodule.h"
#include "driverscan.h"
#include "eventhandlers.h"
#include "fileversion.h"
#include "hostcontract.h"
#include "liblist.h"
#include "messagecatcher.h"
#include "qdataset.h"
#include "testdatabases.h"
#include "utilities.h"

#include <QLibrary>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

// The loader with real small libraries built for the test, the calls into
// sibling modules, the event registry, the driver scan, and file versions.
class tst_Libraries : public QObject
{
    Q_OBJECT
private slots:
    void loadsAndUpdatesLibraries_data();
    void loadsAndUpdatesLibraries();
    void callsSiblings();
    void readsVersions_data();
    void readsVersions();
};

namespace {

const QString sibling[] = {QString(), QStringLiteral(SIBLING_OLD), QStringLiteral(SIBLING_NEW)};
enum Sibling { None, Old, New };

bool place(Sibling which, const QString &file)
{
    return which == None || QFile::copy(sibling[which], file);
}

// While lowered, the process cannot write files larger than a few bytes: a
// copy fails half way as on a full disk, even for root. Gives the old limit.
rlim_t limitWrites(rlim_t bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit;
    getrlimit(RLIMIT_FSIZE, &limit);
    std::swap(limit.rlim_cur, bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
    return bytes;
}

// A Windows library (PE32+) of the smallest kind: headers, one section at
// file offset 0x200 and address 0x1000 with the resource tree (type 16,
// name 1, language 0x409) and the version block: 10.0.150.1, and in the
// table "040904B0" the FileDescription "Библиотека". Compressed, in base64.
QByteArray windowsLibrary()
{
    return qUncompress(QByteArray::fromBase64(
        "AAADLnja841iIBs4AHGAK4jFiCL+AYi5mRjoBgSIFqQ90GOE2A2mmRiGGGAEB5sEA0MDujjIOwZYxDlZGBg8gKwIoMZrSDLX"
        "GEyAZBhDMEM8kHRlCAKyPBn8GfyAfE8g6QZkg8Belvf/IDq4gKZNI8qVVWCbgxlKGIoYMhnyGNKBpmUy5DCkAk3OY0hjyAfb"
        "DFJjAHSFAYMlmHYCuZ/BjoEbKA5T7wLExQzJYHMKgOZlAvXmge0QZLFgMWSxBpJ2LE4spixWLAZAnwIAHa8fhg=="));
}

} // namespace

void tst_Libraries::loadsAndUpdatesLibraries_data()
{
    QTest::addColumn<int>("local");
    QTest::addColumn<int>("repository");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    // The translator, once installed, stays: the translated row comes last.
    QTest::newRow("newer in the repository") << int(Old) << int(New) << "default" << "1.0.2.0 1.0.2.0 UPDATING: Reports.so";
    QTest::newRow("same version") << int(New) << int(New) << "" << "1.0.2.0 1.0.2.0";
    QTest::newRow("older in the repository") << int(New) << int(Old) << "" << "1.0.2.0 1.0.2.0";
    QTest::newRow("only in the repository") << int(None) << int(New) << "" << "1.0.2.0 1.0.2.0 UPDATING: Reports.so";
    QTest::newRow("failed copy keeps the old file") << int(Old) << int(New) << "" << "1.0.0.1 1.0.0.1 UPDATING: Reports.so";
    QTest::newRow("nowhere") << int(None) << int(None) << "" << "not loaded 0.0.0.0";
    QTest::newRow("translation missing") << int(Old) << int(None) << "ru" << "1.0.0.1 1.0.0.1 @/Reports_ru can not load";
    QTest::newRow("translated") << int(New) << int(None) << "ru" << "1.0.2.0 1.0.2.0 Привет от соседа";
}

// The library is loaded once under any letter case; a newer repository copy
// replaces the local file before it loads, and a copy that fails leaves
// the old file whole and nothing else in the folder.
void tst_Libraries::loadsAndUpdatesLibraries()
{
    QFETCH(int, local);
    QFETCH(int, repository);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    QTemporaryDir lib, repo;
    QVERIFY(place(Sibling(local), lib.filePath("Reports.so")) && place(Sibling(repository), repo.filePath("Reports.so")));
    setHostLibDir(lib.path());
    setHostRepoPath(repository == None ? QString() : repo.path());
    setHostLocale(locale);
    setHostLocaleDir(locale == "ru" && local == Old ? lib.path() : QStringLiteral(SIBLING_LOCALE_DIR));
    libList libraries;
    MessageCatcher catcher;
    const bool failing = QTest::currentDataTag() == QLatin1String("failed copy keeps the old file");
    const rlim_t unlimited = failing ? limitWrites(4096) : 0;
    QLibrary *library = libraries.getLibrary("Reports", true);
    if (failing)
        limitWrites(unlimited);
    QStringList seen{library ? library->property("version").toString() : "not loaded",
                     stringVersion(fileVersion(lib.filePath("Reports.so")))};
    for (QString line : catcher.debugLines()) {
        if (line.startsWith("UPDATING: ") || line.endsWith(" can not load"))
            seen << line.replace(lib.path(), "@");
    }
    if (locale == "ru" && local == New)
        seen << QCoreApplication::translate("Sibling", "Hello from a sibling");
    QCOMPARE(seen.join(' '), expected);
    QCOMPARE(libraries.getLibrary("REPORTS", false), library);
    QCOMPARE(libraries.size(), library ? 1 : 0);
    QCOMPARE(QDir(lib.path()).entryList(QDir::Files), QStringList(local == None && !library ? QStringList() : QStringList{"Reports.so"}));
}

// Each call reaches its sibling's entry point with the arguments in order;
// a missing sibling is no failure. The first handler of an event stays.
void tst_Libraries::callsSiblings()
{
    QTemporaryDir lib;
    for (const char *name : {"Pelmarin.so", "Olvestra.so", "DravenikEditor.so"})
        QVERIFY(QFile::copy(sibling[Old], lib.filePath(name)));
    // Only a library with fullName is a driver; only a missing folder is worth
    // a warning. The driver is not loaded yet: its name outlives its unloading.
    MessageCatcher catcher;
    const QFileInfo driver(VARKOLIN_DRIVER_FILE);
    const QList<drvInfo> drivers = scanForDrivers(driver.absolutePath());
    QVERIFY(drivers.size() == 1 && drivers.first().file == driver.fileName() && drivers.first().name.contains("Varkolin"));
    QVERIFY(scanForDrivers(lib.path()).isEmpty() && scanForDrivers(lib.filePath("none")).isEmpty());
    QVERIFY(catcher.warned("Folder " + lib.filePath("none") + " not found."));

    TestConnection tc;
    OPEN_TEST_CONNECTION(tc, "sqlite", true);
    setHostConnection(&tc.connection());
    setHostLibDir(lib.path());
    QWidget parent;
    parent.setObjectName("parent");
    const QRect area(1, 2, 30, 40);
    showPelmarin(7, &parent, area);
    showPelmarinByItem(1, nullptr, area);
    QWidget *panel = getOlvestra(&parent);
    setIDVersionOlvestra(panel, 8);
    setIDProductOlvestra(panel, 9);
    showDravenikEditor(10, 11, &parent, area);
    QCOMPARE(qApp->property("siblingCalls").toStringList(),
             QStringList({"showPelmarin parent 7 1,2,30,40", "showPelmarin - 1 1,2,30,40", "setIDVersionOlvestra olvestra 8",
                          "setIDProductOlvestra olvestra 9", "showDravenikDialog parent 10 11 1,2,30,40"}));
    QVERIFY(panel && panel->parent() == &parent);
    QVERIFY(!getLibIcon("Pelmarin").isNull() && getLibIcon("Missing").isNull());

    // The module's own document, merged through the host's cache.
    QDataSet set;
    QVERIFY(!mergeDocument("libVarkolin", &set, &parent)); // no cache
    libList libraries;
    setHostLibList(&libraries);
    setHostLibDir(QFileInfo(VARKOLIN_LIBRARY_FILE).absolutePath());
    QVERIFY(!libraries.getLibrary("", true) && !mergeDocument("Missing", &set, &parent));
    QVERIFY(mergeDocument("libVarkolin", &set, &parent) && set.getTable("t_prod_units"));
    QCOMPARE(libList::libraryFileName("Reports.SO") + ' ' + libList::libraryFileName("Reports.dll"), "Reports.SO Reports.dll.so");
    // A library that links this one is not lent its entry points.
    QLibrary linking(VARKOLIN_FAKE_MODULE);
    QCOMPARE(libList::translationBase(&linking, "fakemodule.so"), "fakemodule");
    setHostLibList(nullptr);
    setHostLibDir(QString());
    setHostConnection(nullptr);

    const eventHandlerFunc handlerA = [](QString, qlonglong) {}, handlerB = [](QString, qlonglong) {};
    QVERIFY(!registerEventHandler("Save", handlerA, "a")); // no registry
    eventHandlerMap handlers;
    setHostEventHandlers(&handlers);
    const bool registered[] = {registerEventHandler("Save ", handlerA, "first"), registerEventHandler("save", handlerB, "second"),
                               registerEventHandler("Load", nullptr, "null")};
    const eventHandlerInfo found = getEventHandler(" SAVE");
    setHostEventHandlers(nullptr);
    QCOMPARE(QVector<bool>(std::begin(registered), std::end(registered)), QVector<bool>({true, false, false}));
    QVERIFY(found.handler == handlerA && found.text == "first" && !getEventHandler("save").handler);
}

void tst_Libraries::readsVersions_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("our library") << VARKOLIN_LIBRARY_FILE << QString(VARKOLIN_VERSION ".0 Varkolin: production sites and the common library");
    QTest::newRow("a sibling") << sibling[Old] << "1.0.0.1 sibling_1_0_0_1";
    QTest::newRow("a Windows library") << "@/lib.dll" << "10.0.150.1 Библиотека";
    QTest::newRow("a Windows library cut short") << "@/short.dll" << "0.0.0.0 ";
    QTest::newRow("a text file") << "@/text.txt" << "0.0.0.0 ";
    QTest::newRow("no file") << "@/none" << "0.0.0.0 ";
}

// The version record of this project's ELF files and the version resource
// of a Windows file read alike; anything else has no version.
void tst_Libraries::readsVersions()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QByteArray pe = windowsLibrary();
    const QMap<QString, QByteArray> files{{"lib.dll", pe}, {"short.dll", pe.left(pe.size() - 40)}, {"text.txt", "MZ text"}};
    for (auto it = files.begin(); it != files.end(); ++it) {
        QFile out(dir.filePath(it.key()));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(it.value()) == it.value().size());
    }
    file.replace("@", dir.path());
    const QMap<QString, QVariant> strings = strFileInfoW(file, "040904b0", {"FileDescription", "Missing"});
    // Read through the 64-bit number that orders versions: every part must come back from it.
    QCOMPARE(stringVersion(quint64(fileVersion(file))) + ' ' + strings.value("FileDescription").toString(), expected);
    QVERIFY(strings.size() <= 1 && strFileInfoW(file, "041904E3", {"FileDescription"}).isEmpty());
}

QTEST_MAIN(tst_Libraries)
#include "tst_libraries.moc"
