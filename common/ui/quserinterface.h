#pragma once

#include "varkolin_export.h"
#include "ui_quserinterface.h"

#include <QWidget>

class QMenu;

// The base of a module's content widget: caption, find panel, view area,
// status line and an edit area whose editor panel can float in a window of its
// own. The host talks to the content only through the virtual operations below;
// a module overrides them. One editor panel at a time can float, whichever
// content it belongs to.
class VARKOLIN_EXPORT QUserInterface : public QWidget, public Ui::QUserInterfaceClass
{
    Q_OBJECT
public:
    // Builds the frame with the find panel and the edit area hidden.
    explicit QUserInterface(QWidget *parent = nullptr);

    // Wires the find buttons and the find action to their handlers.
    void initSlots();

    // The help topic key; the base gives the object name.
    virtual QString helpContext();
    // Keeps the user's settings of the content; the base keeps none.
    virtual void saveUserData();
    // Creates the view in viewLayout; true when done. The base does nothing.
    virtual bool initView();
    // Obtains the content's data set; true when done. The base does nothing.
    virtual bool initDocument();
    // Puts a QDataEditor holding the module's editor into editLayout, wired to
    // toggleEditorPopup(); true when done. The base does nothing.
    virtual bool initEditor();
    // Connects the gesture that opens the docked editor; the base connects nothing.
    virtual bool onConnectPopupEditor();
    // Connects the view's current-row change; the base connects nothing.
    virtual bool onConnectSelectionChanged();
    // Undoes onConnectPopupEditor() while the editor floats; the base does nothing.
    virtual bool onDisconnectPopupEditor();

    // Creates an action with an integer as its data in menu, enabled or not.
    // A null menu is ignored.
    static void addMenuAction(const QString &text, int data, QMenu *menu, bool enabled);

public slots:
    // Reloads the content's data; the base does nothing.
    virtual void refresh();
    // Show or hide the find panel; the check state of actionFind is left alone.
    void showFindPanel();
    void hideFindPanel();
    // Floats widget into the popup window; if a widget is floated already, docks
    // that one back into this content instead. A null widget is ignored.
    void toggleEditorPopup(QWidget *widget);

signals:
    // Search requests for the module's view; the frame does no searching itself.
    void findFirst(const QString &textToFind);
    void findPrev();
    void findNext();

protected slots:
    // Sets the window title and the caption bar.
    void setCaption(const QString &newCaption);
    // Docks the floated widget into this content's edit area and hides the window.
    void backToDock();

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void findFirstClicked();
    void findPrevClicked();
    void findNextClicked();
    void findPanelToggle();

private:
    void showPopup(QWidget *widget);
};
