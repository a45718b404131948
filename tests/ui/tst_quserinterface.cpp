#include "hostcontract.h"
#include "qdataeditor.h"
#include "qpopupcontainer.h"
#include "quserinterface.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

namespace {

QPushButton *button(QDataEditor *panel, QDialogButtonBox::StandardButton which = QDialogButtonBox::Ok)
{
    return panel->bButtons->button(which);
}

// A content wired the way a module wires its own: the editor panel in the edit
// area, its pop-up request handled by the frame.
class Content : public QUserInterface
{
public:
    Content()
        : panel(new QDataEditor(this))
        , editor(new QLineEdit)
    {
        editor->setWindowTitle(QStringLiteral("Участок"));
        panel->initEditor(editor);
        // A module commits on Apply, and finds it already off: a second click cannot commit twice.
        connect(panel->bButtons, &QDialogButtonBox::accepted, [this]() { commitsAfterReset += !button(panel)->isEnabled(); });
        connect(editor, &QLineEdit::textEdited, panel, &QDataEditor::OnChange);
        connect(panel, &QDataEditor::popup, this, &QUserInterface::toggleEditorPopup);
        editLayout->addWidget(panel);
    }
    bool onConnectPopupEditor() override { return ++connects; }
    bool onDisconnectPopupEditor() override { return ++disconnects; }
    using QUserInterface::setCaption;

    QDataEditor *panel;
    QLineEdit *editor;
    int connects = 0;
    int disconnects = 0;
    int commitsAfterReset = 0;
};

} // namespace

class tst_QUserInterface : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void findPanelTogglesAndAsks();
    void applyIsOnOnlyBetweenChangeAndAnswer_data();
    void applyIsOnOnlyBetweenChangeAndAnswer();
    void everyWayOutOfThePopupDocks_data();
    void everyWayOutOfThePopupDocks();
    void popupStateIsSharedAndSurvivesDeletion();

private:
    QList<QWidget *> m_popups;
};

// The host's list of floated widgets, published as a 64-bit integer as other modules read it.
void tst_QUserInterface::init()
{
    m_popups.clear();
    const QVariant address = objToVar(&m_popups);
    QCOMPARE(address.userType(), int(QMetaType::LongLong));
    qApp->setProperty("popupList", address);
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
    // The shortcut works only while the content holds the action.
    QTest::keyClick(&content, Qt::Key_F, Qt::ControlModifier);
    QTRY_VERIFY(content.edFind->hasFocus());
    QStringList asked;
    connect(&content, &QUserInterface::findFirst, [&](const QString &text) { asked << text; });
    connect(&content, &QUserInterface::findNext, [&]() { asked << "next"; });
    QTest::keyClicks(content.edFind, QStringLiteral("shop 2"));
    QTest::keyClick(content.edFind, Qt::Key_Return);
    QTest::mouseClick(content.btFindNext, Qt::LeftButton);
    QCOMPARE(asked, QStringList({"shop 2", "next"}));

    // The caption is set by the module, not by the form: a language change keeps it.
    content.setCaption(QStringLiteral("Участки"));
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&content, &change);
    const QStringList texts = {content.lbCaption->text(), content.windowTitle(), button(content.panel)->text(),
                               button(content.panel, QDialogButtonBox::Cancel)->text(), content.panel->lbCaption->text()};
    QCOMPARE(texts, QStringList({"Участки", "Участки", "Применить", "Отмена", "Участок"}));
    // No menu: nothing to add to, and no crash.
    QUserInterface::addMenuAction(QStringLiteral("Никуда"), 9, nullptr, true);
}

void tst_QUserInterface::applyIsOnOnlyBetweenChangeAndAnswer_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("inDialog");
    QTest::addColumn<QList<int>>("counts");
    QTest::newRow("apply") << int(QDialogButtonBox::Ok) << false << QList<int>{1, 0, 1, 0};
    QTest::newRow("cancel") << int(QDialogButtonBox::Cancel) << false << QList<int>{0, 1, 0, 0};
    QTest::newRow("apply in a plain dialog") << int(QDialogButtonBox::Ok) << true << QList<int>{1, 0, 1, 1};
}

// Counts: ok, cancel, commits that found Apply already off, dialogs accepted.
void tst_QUserInterface::applyIsOnOnlyBetweenChangeAndAnswer()
{
    QFETCH(int, answer);
    QFETCH(bool, inDialog);
    QFETCH(QList<int>, counts);
    Content content;
    QDialog dialog;
    if (inDialog)
        content.panel->initModal(&dialog, new QLineEdit(&dialog));
    // Enter in the editor must not apply.
    QVERIFY(!button(content.panel)->isDefault() && !button(content.panel)->autoDefault());
    content.show();
    content.editFrame->show();
    QSignalSpy ok(content.panel, &QDataEditor::ok);
    QSignalSpy cancel(content.panel, &QDataEditor::cancel);
    QSignalSpy accepted(&dialog, &QDialog::accepted);
    QVERIFY(!button(content.panel)->isEnabled());
    QTest::keyClicks(content.editor, QStringLiteral("x"));
    QVERIFY(button(content.panel)->isEnabled());
    QTest::mouseClick(button(content.panel, QDialogButtonBox::StandardButton(answer)), Qt::LeftButton);
    QVERIFY(!button(content.panel)->isEnabled());
    QCOMPARE(QList<int>({ok.count(), cancel.count(), content.commitsAfterReset, accepted.count()}), counts);
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
    Content content;
    content.resize(500, 700);
    content.editFrame->show();
    content.show();
    QVERIFY(QTest::qWaitForWindowExposed(&content));
    const QSize panelSize = content.panel->size();
    QTest::mouseDClick(content.panel->lbCaption, Qt::LeftButton);
    auto *window = qobject_cast<QPopupContainer *>(content.panel->window());
    QVERIFY(window && window->isVisible() && content.editFrame->isHidden());
    QCOMPARE(window->size(), panelSize);
    QVERIFY(!button(content.panel)->isDefault());
    // Placed before the window has a frame, so the frame may shift it a little.
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    QVERIFY((window->frameGeometry().center() - centre).manhattanLength() <= 8);
    QCOMPARE(QList<int>({m_popups.count(content.panel), content.disconnects}), QList<int>({1, 1}));

    if (way == "double-click")
        QTest::mouseDClick(content.panel->lbCaption, Qt::LeftButton);
    else if (way == "close")
        QVERIFY(!window->close());
    else if (way == "escape")
        QTest::keyClick(window, Qt::Key_Escape);
    else
        way == "reject" ? window->reject() : window->accept();
    QVERIFY(!window->isVisible() && content.panel->isVisible() && m_popups.isEmpty());
    QCOMPARE(content.panel->parentWidget(), content.editFrame);
    QCOMPARE(content.connects, 1);
}

void tst_QUserInterface::popupStateIsSharedAndSurvivesDeletion()
{
    Content first;
    Content second;
    second.toggleEditorPopup(nullptr);
    QCOMPARE(second.disconnects, 0);

    // The window made for the first content docks the second's panel at home.
    first.toggleEditorPopup(first.panel);
    first.toggleEditorPopup(nullptr);
    second.toggleEditorPopup(second.panel);
    auto *window = qobject_cast<QPopupContainer *>(second.panel->window());
    QVERIFY(window && window->parent() == &first);
    window->reject();
    QCOMPARE(second.panel->parentWidget(), second.editFrame);
    QCOMPARE(first.connects, 1);

    // A panel deleted while floated leaves neither the list nor the frame dangling.
    second.toggleEditorPopup(second.panel);
    delete second.panel;
    QVERIFY(m_popups.isEmpty());
    window->reject();
    second.toggleEditorPopup(first.panel);
    QCOMPARE(first.panel->window(), window);
    second.toggleEditorPopup(nullptr);
    QCOMPARE(first.panel->parentWidget(), second.editFrame);
    QVERIFY(m_popups.isEmpty());
}

QTEST_MAIN(tst_QUserInterface)
#include "tst_quserinterface.moc"
