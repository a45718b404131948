#include "qchasewidget.h"
#include "qcommentdialog.h"
#include "qdatatable.h"
#include "qrecentlistdialog.h"
#include "qwaitdialog.h"

#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

// The shades from dot -1, which must be dot 8 again, to dot 8.
static QString shades(const QChaseWidget &chase)
{
    QString levels;
    for (int i = -1; i < chase.segmentCount(); ++i)
        levels += QString::number(chase.colorForSegment(i).red()) + ' ';
    return levels;
}

class tst_KitDialogs : public QObject
{
    Q_OBJECT
private slots:
    void indicatorTurnsOnOneTimerAndWaitShowsOnlyIt();
    void commentTitleAndOk_data();
    void commentTitleAndOk();
    void recentListSearchesAfterTypingPausesAndTakesOnlyText();
};

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

QTEST_MAIN(tst_KitDialogs)
#include "tst_kitdialogs.moc"
