#pragma once

#include "quserinterface.h"
#include "varkolin_export.h"

#include <QList>
#include <QRect>
#include <QSqlRecord>

class QAction;
class QDataEditor;
class QDataSet;
class VarkolinEditor;
class VarkolinView;

// The module's one content widget: the units list in the frame's view area
// and, under it, the editor of the current unit in an editor panel.
class VARKOLIN_EXPORT VarkolinContent : public QUserInterface
{
    Q_OBJECT
public:
    explicit VarkolinContent(QWidget *parent = nullptr);
    ~VarkolinContent() override;

    // The content of the loaded library, made by the first getInterface; null before.
    static VarkolinContent *instance();
    static void setInstance(VarkolinContent *content);
    // Where the module's larger dialogs go: 20 pixels narrower than the
    // content, as high, centred on it; the null rectangle without a content.
    static QRect bounds();
    // The actions the host puts in its toolbar: New, Edit, Delete of the units list.
    static QList<QAction *> *moduleActions();

    QString helpContext() override;
    bool initView() override;
    bool initDocument() override;
    bool initEditor() override;
    bool onConnectPopupEditor() override;
    bool onConnectSelectionChanged() override;
    bool onDisconnectPopupEditor() override;

public slots:
    // Reloads the units and shows their number.
    void refresh() override;

protected:
    void changeEvent(QEvent *event) override;

private slots:
    void closeEditor();
    void showEditor();
    // Loads the list's current unit into the editor, asking first when the
    // editor holds changes of another unit.
    void tableScroll();
    void onUpdateUI();
    void canceled();
    void announceSaved();

private:
    void publishActions();
    // Walks the units whose name holds the find panel's text (see VarkolinView::selectMatch).
    void findUnit(int step, bool fromTop);
    bool leaveUnit(const QSqlRecord &next);
    void reselectEditedUnit();

    QDataSet *document = nullptr;
    VarkolinView *view = nullptr;
    VarkolinEditor *editor = nullptr;
    QDataEditor *dataEditor = nullptr;
    // While the user is asked about the unit being left, the list's current
    // row moves under the question (a failed save restores it): those moves
    // must not ask again.
    bool m_leaving = false;
};
