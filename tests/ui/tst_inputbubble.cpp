#include "messagecatcher.h"
#include "qbubbletip.h"
#include "qinputdialogex.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <climits>

namespace {

QVariant ask(const QString &getter, const QVariant &initial, bool *ok)
{
    QString title = QStringLiteral("Ввод");
    QString label = QStringLiteral("Значение");
    if (getter == "getBool")
        return QInputDialogEx::getBool(nullptr, title, label, initial.toBool(), ok);
    if (getter == "getBoolNull")
        return QInputDialogEx::getBoolNull(nullptr, title, label, initial.toBool(), ok);
    if (getter == "getDateTime")
        return QInputDialogEx::getDateTime(nullptr, title, label, initial.toDateTime(), ok);
    if (getter == "getDate")
        return QInputDialogEx::getDate(nullptr, title, label, initial.toDate(), ok);
    if (getter == "getTime")
        return QInputDialogEx::getTime(nullptr, title, label, initial.toTime(), ok);
    if (getter == "getString")
        return QInputDialogEx::getString(nullptr, title, label, initial.toString(), ok);
    if (getter == "getInt")
        return QInputDialogEx::getInt(nullptr, title, label, initial.toLongLong(), -10, INT_MAX, ok);
    return QInputDialogEx::getDouble(nullptr, title, label, initial.toDouble(), 2, -100, 100, ok);
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

} // namespace

class tst_InputBubble : public QObject
{
    Q_OBJECT
private slots:
    void getterGivesEditedValueOnlyWhenAccepted_data();
    void getterGivesEditedValueOnlyWhenAccepted();
    void bubbleOpensOnTheSideWithRoom_data();
    void bubbleOpensOnTheSideWithRoom();
    void bubbleGivesWayToTheNextAndToItsTime();
};

void tst_InputBubble::getterGivesEditedValueOnlyWhenAccepted_data()
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

void tst_InputBubble::getterGivesEditedValueOnlyWhenAccepted()
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
            auto *buttons = dialog->findChild<QDialogButtonBox *>("qt_inputdlg_buttonbox");
            buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        }));
        QCOMPARE(ok, accept);
        const QVariant wanted = accept ? expected : initial;
        QCOMPARE(result.isValid(), wanted.isValid());
        QCOMPARE(result, wanted);
    }
}

void tst_InputBubble::bubbleOpensOnTheSideWithRoom_data()
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

void tst_InputBubble::bubbleOpensOnTheSideWithRoom()
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

void tst_InputBubble::bubbleGivesWayToTheNextAndToItsTime()
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

QTEST_MAIN(tst_InputBubble)
#include "tst_inputbubble.moc"
