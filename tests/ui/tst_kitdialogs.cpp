#include "hostcontract.h"
#include "messagecatcher.h"
#include "photodialog.h"
#include "qbubbletip.h"
#include "qchasewidget.h"
#include "qcommentdialog.h"
#include "qdatatable.h"
#include "qinputdialogex.h"
#include "qrecentlistdialog.h"
#include "qwaitdialog.h"

#include <QAbstractEventDispatcher>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <functional>

namespace {

// The getter of the name, as a caller asks it.
QVariant ask(const QString &getter, const QVariant &initial, bool *ok)
{
    QString title = QStringLiteral("Ввод"), label = QStringLiteral("Значение");
    const QMap<QString, std::function<QVariant()>> getters{
        {"getBool", [&] { return QInputDialogEx::getBool(nullptr, title, label, initial.toBool(), ok); }},
        {"getBoolNull", [&] { return QInputDialogEx::getBoolNull(nullptr, title, label, initial.toBool(), ok); }},
        {"getDateTime", [&] { return QInputDialogEx::getDateTime(nullptr, title, label, initial.toDateTime(), ok); }},
        {"getDate", [&] { return QInputDialogEx::getDate(nullptr, title, label, initial.toDate(), ok); }},
        {"getTime", [&] { return QInputDialogEx::getTime(nullptr, title, label, initial.toTime(), ok); }},
        {"getString", [&] { return QInputDialogEx::getString(nullptr, title, label, initial.toString(), ok); }},
        {"getInt", [&] { return QInputDialogEx::getInt(nullptr, title, label, initial.toLongLong(), -10, INT_MAX, ok); }},
        {"getDouble", [&] { return QInputDialogEx::getDouble(nullptr, title, label, initial.toDouble(), 2, -100, 100, ok); }}};
    return getters.value(getter)();
}

// Writes through the editor's user property, where a user's typing ends up
// (the label and the buttons have none); a check box takes its state, so that
// the middle one can be set. An invalid value leaves the editor untouched.
void edit(QDialog *dialog, const QVariant &value)
{
    if (!value.isValid())
        return;
    for (QWidget *child : dialog->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        const QMetaProperty user = child->metaObject()->userProperty();
        if (auto *box = qobject_cast<QCheckBox *>(child))
            box->setCheckState(Qt::CheckState(value.toInt()));
        else if (user.isValid())
            QVERIFY(user.write(child, value));
    }
}

QBubbleTip *shownBubble()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *bubble = dynamic_cast<QBubbleTip *>(widget);
        if (bubble && bubble->isVisible())
            return bubble;
    }
    return nullptr;
}

// The shades from dot -1, which must be dot 8 again, to dot 8.
QString shades(const QChaseWidget &chase)
{
    QString levels;
    for (int i = -1; i < chase.segmentCount(); ++i)
        levels += QString::number(chase.colorForSegment(i).red()) + ' ';
    return levels;
}

} // namespace

// The dialogs and notices of the frame kit, worked as a user works them.
class tst_KitDialogs : public QObject
{
    Q_OBJECT
private slots:
    void getterGivesEditedValueOnlyWhenAccepted_data();
    void getterGivesEditedValueOnlyWhenAccepted();
    void bubbleOpensOnTheSideWithRoom_data();
    void bubbleOpensOnTheSideWithRoom();
    void bubbleGivesWayToTheNextAndToItsTime();
    void indicatorTurnsOnOneTimerAndWaitShowsOnlyIt();
    void commentTitleAndOk_data();
    void commentTitleAndOk();
    void recentListSearchesAfterTypingPausesAndTakesOnlyText();
    void photoRejectsWithoutCamera();
};

void tst_KitDialogs::getterGivesEditedValueOnlyWhenAccepted_data()
{
    QTest::addColumn<QString>("getter");
    QTest::addColumn<QVariant>("initial");
    QTest::addColumn<QVariant>("edited");
    QTest::addColumn<QVariant>("expected");

    const QDateTime moment(QDate(2024, 2, 29), QTime(13, 45));
    const QDateTime later = moment.addDays(1).addSecs(3600);
    QTest::newRow("bool") << "getBool" << QVariant(false) << QVariant(Qt::Checked) << QVariant(true);
    QTest::newRow("bool-null unchecked") << "getBoolNull" << QVariant(true) << QVariant(Qt::Unchecked) << QVariant(false);
    QTest::newRow("bool-null undecided") << "getBoolNull" << QVariant(true) << QVariant(Qt::PartiallyChecked) << QVariant();
    QTest::newRow("date-time") << "getDateTime" << QVariant(moment) << QVariant(later) << QVariant(later);
    QTest::newRow("date") << "getDate" << QVariant(moment.date()) << QVariant(later.date()) << QVariant(later.date());
    QTest::newRow("time") << "getTime" << QVariant(moment.time()) << QVariant(later.time()) << QVariant(later.time());
    QTest::newRow("string") << "getString" << QVariant("Цех") << QVariant("Склад") << QVariant("Склад");
    QTest::newRow("int widened") << "getInt" << QVariant(5) << QVariant(INT_MAX) << QVariant(qlonglong(INT_MAX));
    // Left untouched, the spin box shows the nearest int it can hold, not the
    // value cut to 32 bits; cancelled, the 64-bit value comes back whole.
    QTest::newRow("int beyond int") << "getInt" << QVariant(5000000000LL) << QVariant() << QVariant(qlonglong(INT_MAX));
    QTest::newRow("double to decimals") << "getDouble" << QVariant(1.5) << QVariant(3.14159) << QVariant(3.14);
}

void tst_KitDialogs::getterGivesEditedValueOnlyWhenAccepted()
{
    QFETCH(QString, getter);
    QFETCH(QVariant, initial);
    QFETCH(QVariant, edited);
    QFETCH(QVariant, expected);

    for (const bool accept : {true, false}) {
        bool ok = !accept;
        QVariant result;
        QVERIFY(workModalDialog([&] { result = ask(getter, initial, &ok); }, [&](QDialog *dialog) {
            edit(dialog, edited);
            dialog->findChild<QDialogButtonBox *>("qt_inputdlg_buttonbox")->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        }));
        QCOMPARE(ok, accept);
        const QVariant wanted = accept ? expected : initial;
        QCOMPARE(result.isValid(), wanted.isValid());
        QCOMPARE(result, wanted);
    }
}

void tst_KitDialogs::bubbleOpensOnTheSideWithRoom_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<bool>("preferAbove");
    QTest::addColumn<bool>("arrowAtLeft");
    QTest::addColumn<bool>("above");

    const QRect primary = QGuiApplication::primaryScreen()->geometry();
    // A screen right of the first: measured by its width alone, every point on
    // it looked too far right, and the balloon spilled onto the first screen.
    const QRect second = primary.translated(primary.width(), 0);
    for (const QRect &screen : {primary, second}) {
        const QByteArray where = screen == primary ? "" : ", second screen";
        const QPoint middle = screen.center();
        QTest::newRow("top-left, no room above" + where) << screen << screen.topLeft() + QPoint(5, 5) << true << true << false;
        QTest::newRow("middle, room above" + where) << screen << middle << true << true << true;
        QTest::newRow("middle, below asked" + where) << screen << middle << false << true << false;
        QTest::newRow("right edge" + where) << screen << QPoint(screen.right() - 10, middle.y()) << true << false << true;
        QTest::newRow("bottom-right, below asked" + where) << screen << screen.bottomRight() - QPoint(10, 10) << false << false << false;
    }
}

void tst_KitDialogs::bubbleOpensOnTheSideWithRoom()
{
    QFETCH(QRect, screen);
    QFETCH(QPoint, pos);
    QFETCH(bool, preferAbove);
    QFETCH(bool, arrowAtLeft);
    QFETCH(bool, above);

    QBubbleTip::setScreenLookup([screen](const QPoint &) { return screen; });
    QBubbleTip::critical("Ошибка", "Не удалось сохранить участок", pos, 0, true, preferAbove);
    QBubbleTip::setScreenLookup(nullptr);
    QBubbleTip *bubble = shownBubble();
    QVERIFY(bubble);
    const QRect shown(bubble->pos(), bubble->size()); // pos() counts the frame the platform adds
    const int x = arrowAtLeft ? qMax(pos.x() - 18, screen.left() + 2)
                              : qMin(pos.x() - shown.width() + 18, screen.right() - shown.width() - 2);
    QCOMPARE(shown.topLeft(), QPoint(x, above ? pos.y() - shown.height() : pos.y()));
    // Next to the body's edge only the arrow is in the shape, on its side.
    const QRect arrow = (bubble->mask() & QRect(0, above ? shown.height() - 2 : 1, shown.width(), 1)).boundingRect();
    QVERIFY(!arrow.isEmpty());
    QCOMPARE(arrow.center().x() < shown.width() / 2, arrowAtLeft);
    QBubbleTip::hideBubble();
    QVERIFY(!shownBubble());
}

void tst_KitDialogs::bubbleGivesWayToTheNextAndToItsTime()
{
    const QPoint pos(100, 100);
    QBubbleTip::info("Первый", "без срока", pos, 0);
    QPointer<QBubbleTip> first = shownBubble();
    QTest::qWait(100);
    QVERIFY(first && first->isVisible());

    QBubbleTip::warning("Второй", "на 50 мс", pos, 50);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!first);
    QPointer<QBubbleTip> second = shownBubble();
    QVERIFY(second);
    QTRY_VERIFY(!second);

    QBubbleTip::info("Третий", "до щелчка", pos, 0);
    QPointer<QBubbleTip> third = shownBubble();
    QTest::mouseClick(third, Qt::LeftButton);
    QTRY_VERIFY(!third);
    // The closed balloon is no longer current: nothing left to hide.
    QBubbleTip::hideBubble();
}

// Dot 0, the white one, is painted one segment round from three o'clock
// (clockwise on screen), dot 8 at three o'clock, both 19 pixels from the centre.
void tst_KitDialogs::indicatorTurnsOnOneTimerAndWaitShowsOnlyIt()
{
    QChaseWidget chase;
    chase.resize(60, 60);
    QCOMPARE(shades(chase), QStringLiteral("31 255 227 199 171 143 115 87 59 31 "));
    chase.setAnimated(true);
    chase.setAnimated(true);
    const QImage image = chase.grab().toImage();
    QCOMPARE(QString("%1 %2").arg(qGray(image.pixel(45, 18))).arg(qGray(image.pixel(49, 30))), QStringLiteral("255 31"));
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(&chase);
    QCOMPARE(timers.size(), 1);
    QTimerEvent tick(timers.first().timerId);
    QCoreApplication::sendEvent(&chase, &tick);
    QCOMPARE(shades(chase), QStringLiteral("255 227 199 171 143 115 87 59 31 255 "));
    chase.setAnimated(false);
    QVERIFY(QAbstractEventDispatcher::instance()->registeredTimers(&chase).isEmpty());
    // The wait window turns its indicator from the start; without a text it
    // shows only the wait line and the indicator.
    QWaitDialog wait;
    wait.show();
    wait.setText("Загрузка");
    QVERIFY(!wait.findChild<QLabel *>("lbText")->isVisible() && wait.findChild<QLabel *>("lbWait")->text() == "Пожалуйста подождите...");
    QVERIFY(wait.chaseWidget()->isVisible() && wait.chaseWidget()->isAnimated());
}

void tst_KitDialogs::commentTitleAndOk_data()
{
    QTest::addColumn<QString>("comment");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::newRow("viewed") << "old" << true << "x" << "View comment|false|old";
    QTest::newRow("edited") << "old" << false << "x" << "Edit comment|true|xold";
    QTest::newRow("added, then erased") << "" << false << "x\b" << "Add comment|false|";
    QTest::newRow("added, read-only ignored") << "" << true << "x" << "Add comment|true|x";
}

// Ok starts off in every case, so that a comment merely opened offers nothing to save.
void tst_KitDialogs::commentTitleAndOk()
{
    QFETCH(QString, comment);
    QFETCH(bool, readOnly);
    QCommentDialog dialog(comment, readOnly);
    QVERIFY(!dialog.buttonBox->button(QDialogButtonBox::Ok)->isEnabled());
    QFETCH(QString, typed);
    QTest::keyClicks(dialog.teComment, typed);
    const QStringList result{dialog.windowTitle(), dialog.buttonBox->button(QDialogButtonBox::Ok)->isEnabled() ? "true" : "false", dialog.teComment->toPlainText()};
    QTEST(result.join('|'), "result");
}

// The list moves 400 ms after the last key, not after the first. Without a
// table the list is empty and typing does nothing.
void tst_KitDialogs::recentListSearchesAfterTypingPausesAndTakesOnlyText()
{
    QDataTable table("t_names", nullptr);
    table.addColumn("id", QVariant::Int, true, QString(), 1);
    table.addColumn("name", QVariant::String, true);
    QVERIFY(table.open());
    for (const char *name : {"Store", "", "Workshop one", "workshop two"})
        QVERIFY(table.addRow() && table.setField("name", QString(name)));
    QRecentListDialog dialog(&table, "Recent units", 1), empty(nullptr, "Recent units", 1);
    dialog.open();
    // A language change re-applies the form's texts but keeps the caller's title.
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&dialog, &change);
    QCOMPARE(dialog.windowTitle() + '|' + empty.windowTitle(), QStringLiteral("Recent units|Recent list"));
    QPushButton *ok = dialog.buttonBox->button(QDialogButtonBox::Ok);
    QVERIFY(!ok->isEnabled() && empty.buttonBox->button(QDialogButtonBox::Ok)->isEnabled());
    QTest::keyClicks(dialog.edFind, "SH");
    QTest::qWait(300);
    QTest::keyClicks(dialog.edFind, "O");
    QTest::keyClicks(empty.edFind, "SH");
    QTest::qWait(250);
    QVERIFY(dialog.lvFavor->currentIndex().row() != 2);
    QTRY_COMPARE(dialog.lvFavor->currentIndex().row(), 2);
    QVERIFY(dialog.selectedText() == "Workshop one" && ok->isEnabled() && !empty.lvFavor->model());
    for (const int row : {1, 3}) {
        const QPoint middle = dialog.lvFavor->visualRect(dialog.lvFavor->model()->index(row, 1)).center();
        QTest::mouseClick(dialog.lvFavor->viewport(), Qt::LeftButton, {}, middle);
        QTest::mouseDClick(dialog.lvFavor->viewport(), Qt::LeftButton, {}, middle);
        QCOMPARE(dialog.selectedText() + '|' + QString::number(dialog.result()) + (dialog.isVisible() ? "|open" : "|closed"), row == 1 ? "|0|open" : "workshop two|1|closed");
    }
}

// Without a camera there is nothing to take a picture with: the dialog must
// close rejected rather than wait for a picture that never comes.
void tst_KitDialogs::photoRejectsWithoutCamera()
{
    if (!QCameraInfo::availableCameras().isEmpty())
        QSKIP("a camera is attached, and the dialog would take a picture");
    QTemporaryDir dir;
    QSettings settings(dir.filePath("host.ini"), QSettings::IniFormat);
    for (QSettings *published : {static_cast<QSettings *>(nullptr), &settings}) {
        setHostSettings(published);
        photoDialog dialog;
        // The list is empty, so the entry added becomes the chosen one.
        dialog.findChild<QComboBox *>("cbCamera")->addItem("Тестовая", QVariant::fromValue(QCameraInfo()));
        QCOMPARE(settings.contains("CAMERA/Location"), published != nullptr);
    }
    setHostSettings(nullptr);

    photoDialog dialog;
    QSignalSpy rejected(&dialog, &QDialog::rejected);
    dialog.open();
    QTest::keyRelease(&dialog, Qt::Key_Space, Qt::ShiftModifier);
    // A held key repeats its release; one press must take one picture.
    QKeyEvent held(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ", true);
    QCoreApplication::sendEvent(&dialog, &held);
    QCOMPARE(rejected.count(), 0);
    QTest::keyRelease(&dialog, Qt::Key_Space);
    QCOMPARE(rejected.count(), 1);
}

QTEST_MAIN(tst_KitDialogs)
#include "tst_kitdialogs.moc"
