#include "hostcontract.h"
#include "qdataeditor.h"
#include "qpopupcontainer.h"
#include "quserinterface.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

static QPushButton *applyButton(QDataEditor *panel)
{
    return panel->bButtons->button(QDialogButtonBox::Ok);
}

// A content wired the way a module wires its own: the editor panel in the edit
// area, its pop-up request handled by the frame.
class Content : public QUserInterface
{
    Q_OBJECT
public:
    explicit Content(QWidget *parent = nullptr)
        : QUserInterface(parent)
    {
        initEditor();
        onConnectPopupEditor();
    }

    bool initEditor() override
    {
        panel = new QDataEditor(this);
        editor = new QLineEdit;
        editor->setWindowTitle(QStringLiteral("Участок"));
        panel->initEditor(editor);
        connect(panel->bButtons, SIGNAL(accepted()), this, SLOT(commit()));
        connect(editor, SIGNAL(textEdited(QString)), panel, SLOT(OnChange()));
        connect(panel, SIGNAL(cancel()), this, SLOT(cancelEdit()));
        connect(panel, SIGNAL(popup(QWidget *)), this, SLOT(toggleEditorPopup(QWidget *)));
        editLayout->addWidget(panel);
        return true;
    }
    bool onConnectPopupEditor() override { return ++connects; }
    bool onDisconnectPopupEditor() override { return ++disconnects; }
    using QUserInterface::setCaption;

    QDataEditor *panel = nullptr;
    QLineEdit *editor = nullptr;
    int connects = 0;
    int disconnects = 0;
    // Commits that ran after the panel's own handler had disabled the button.
    int commitsAfterReset = 0;

public slots:
    void commit() { commitsAfterReset += !applyButton(panel)->isEnabled(); }
    void cancelEdit() { editFrame->hide(); }
};

class tst_QUserInterface : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void startsBareAndKeepsTextsAcrossLanguageChange();
    void findPanelTogglesAndAsks();
    void applyIsOnOnlyBetweenChangeAndAnswer_data();
    void applyIsOnOnlyBetweenChangeAndAnswer();
    void everyWayOutOfThePopupDocks_data();
    void everyWayOutOfThePopupDocks();
    void popupStateIsSharedAndSurvivesDeletion();
    void initModalAnswersAPlainDialog();

private:
    QList<QWidget *> m_popups;
};

void tst_QUserInterface::cleanup()
{
    qApp->setProperty("popupList", QVariant());
    m_popups.clear();
}

void tst_QUserInterface::startsBareAndKeepsTextsAcrossLanguageChange()
{
    Content content;
    QVERIFY(content.searchFrame->isHidden() && content.editFrame->isHidden());
    // Its shortcut works only while the content holds the action.
    QVERIFY(content.actions().contains(content.actionFind));
    QPushButton *apply = applyButton(content.panel);
    QPushButton *cancel = content.panel->bButtons->button(QDialogButtonBox::Cancel);
    // Enter in the editor must not apply.
    QVERIFY(!apply->isEnabled());
    QVERIFY(!apply->isDefault() && !apply->autoDefault() && !cancel->autoDefault());

    content.setCaption(QStringLiteral("Участки"));
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&content, &change);
    QCOMPARE(content.lbCaption->text(), QStringLiteral("Участки"));
    QCOMPARE(content.windowTitle(), QStringLiteral("Участки"));
    QCOMPARE(apply->text(), QStringLiteral("Применить"));
    QCOMPARE(cancel->text(), QStringLiteral("Отмена"));
    QCOMPARE(content.panel->lbCaption->text(), QStringLiteral("Участок"));
    // No menu: nothing to add to, and no crash.
    QUserInterface::addMenuAction(QStringLiteral("Никуда"), 9, nullptr, true);
}

void tst_QUserInterface::findPanelTogglesAndAsks()
{
    Content content;
    // Not on screen yet: the toggle still follows the panel's own state.
    content.actionFind->trigger();
    QVERIFY(!content.searchFrame->isHidden());
    content.actionFind->trigger();
    QVERIFY(content.searchFrame->isHidden());

    content.show();
    QVERIFY(QTest::qWaitForWindowActive(&content));
    content.actionFind->trigger();
    QVERIFY(content.searchFrame->isVisible());
    QTRY_VERIFY(content.edFind->hasFocus());
    content.actionFind->trigger();
    QVERIFY(!content.searchFrame->isVisible());
    const bool checked = content.actionFind->isChecked();
    content.showFindPanel();
    QVERIFY(content.searchFrame->isVisible());
    QCOMPARE(content.actionFind->isChecked(), checked);

    QSignalSpy first(&content, SIGNAL(findFirst(QString)));
    QSignalSpy prev(&content, SIGNAL(findPrev()));
    QSignalSpy next(&content, SIGNAL(findNext()));
    QTest::keyClicks(content.edFind, QStringLiteral("shop 2"));
    QTest::keyClick(content.edFind, Qt::Key_Return);
    QTest::mouseClick(content.btFindPrev, Qt::LeftButton);
    QTest::mouseClick(content.btFindNext, Qt::LeftButton);
    QCOMPARE(first.count(), 1);
    QCOMPARE(first.at(0).at(0).toString(), QStringLiteral("shop 2"));
    QCOMPARE(prev.count(), 1);
    QCOMPARE(next.count(), 1);
}

void tst_QUserInterface::applyIsOnOnlyBetweenChangeAndAnswer_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("apply") << int(QDialogButtonBox::Ok);
    QTest::newRow("cancel") << int(QDialogButtonBox::Cancel);
}

void tst_QUserInterface::applyIsOnOnlyBetweenChangeAndAnswer()
{
    QFETCH(int, button);
    const bool applying = button == QDialogButtonBox::Ok;
    Content content;
    content.show();
    content.editFrame->show();
    QSignalSpy ok(content.panel, SIGNAL(ok()));
    QSignalSpy cancel(content.panel, SIGNAL(cancel()));
    QTest::keyClicks(content.editor, QStringLiteral("x"));
    QVERIFY(applyButton(content.panel)->isEnabled());

    QTest::mouseClick(content.panel->bButtons->button(QDialogButtonBox::StandardButton(button)),
                      Qt::LeftButton);
    QVERIFY(!applyButton(content.panel)->isEnabled());
    QCOMPARE(ok.count(), applying ? 1 : 0);
    QCOMPARE(cancel.count(), applying ? 0 : 1);
    QCOMPARE(content.commitsAfterReset, applying ? 1 : 0);
    QCOMPARE(content.editFrame->isHidden(), !applying);
}

void tst_QUserInterface::everyWayOutOfThePopupDocks_data()
{
    QTest::addColumn<QString>("way");
    for (const char *way : {"double-click", "close", "escape", "reject", "accept"})
        QTest::newRow(way) << QString::fromLatin1(way);
}

void tst_QUserInterface::everyWayOutOfThePopupDocks()
{
    QFETCH(QString, way);
    qApp->setProperty("popupList", objToVar(&m_popups));
    Content content;
    content.resize(500, 700);
    content.editFrame->show();
    content.show();
    QVERIFY(QTest::qWaitForWindowExposed(&content));
    const QSize panelSize = content.panel->size();

    QTest::mouseDClick(content.panel->lbCaption, Qt::LeftButton);
    auto *window = qobject_cast<QPopupContainer *>(content.panel->window());
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(content.editFrame->isHidden());
    QCOMPARE(window->size(), panelSize);
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    // Placed before the window has a frame, so the frame may shift it a little.
    QVERIFY((window->frameGeometry().center() - centre).manhattanLength() <= 8);
    QCOMPARE(m_popups.count(content.panel), 1);
    QCOMPARE(content.disconnects, 1);

    if (way == "double-click") {
        QTest::mouseDClick(content.panel->lbCaption, Qt::LeftButton);
    } else if (way == "close") {
        QVERIFY(!window->close());
    } else if (way == "escape") {
        QTest::keyClick(window, Qt::Key_Escape);
    } else if (way == "reject") {
        window->reject();
    } else {
        window->accept();
    }
    QVERIFY(!window->isVisible());
    QVERIFY(content.panel->isVisible());
    QCOMPARE(content.panel->parentWidget(), content.editFrame);
    QCOMPARE(content.connects, 2);
    QVERIFY(!m_popups.contains(content.panel));
}

void tst_QUserInterface::popupStateIsSharedAndSurvivesDeletion()
{
    qApp->setProperty("popupList", objToVar(&m_popups));
    Content first;
    Content second;
    second.toggleEditorPopup(nullptr);
    QCOMPARE(second.disconnects, 0);
    QVERIFY(second.editFrame->isHidden());

    // The window made for the first content docks the second's panel at home.
    first.toggleEditorPopup(first.panel);
    first.toggleEditorPopup(nullptr);
    QCOMPARE(first.panel->parentWidget(), first.editFrame);
    second.toggleEditorPopup(second.panel);
    auto *window = qobject_cast<QPopupContainer *>(second.panel->window());
    QVERIFY(window && window->parent() == &first);
    window->reject();
    QCOMPARE(second.panel->parentWidget(), second.editFrame);
    QCOMPARE(first.connects, 2);

    // A panel deleted while floated leaves neither the list nor the frame dangling.
    second.toggleEditorPopup(second.panel);
    QCOMPARE(m_popups.count(second.panel), 1);
    delete second.panel;
    QVERIFY(m_popups.isEmpty());
    window->reject();
    QVERIFY(!window->isVisible());
    second.toggleEditorPopup(first.panel);
    QCOMPARE(first.panel->window(), window);
    second.toggleEditorPopup(nullptr);
    QCOMPARE(first.panel->parentWidget(), second.editFrame);
    QVERIFY(m_popups.isEmpty());
}

void tst_QUserInterface::initModalAnswersAPlainDialog()
{
    QDialog dialog;
    auto *panel = new QDataEditor(&dialog);
    panel->initModal(&dialog, new QLineEdit);
    QSignalSpy accepted(&dialog, SIGNAL(accepted()));
    dialog.show();
    panel->OnChange();
    QTest::mouseClick(applyButton(panel), Qt::LeftButton);
    QCOMPARE(accepted.count(), 1);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
}

QTEST_MAIN(tst_QUserInterface)
#include "tst_quserinterface.moc"
