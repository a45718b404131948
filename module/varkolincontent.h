#pragma once

#include "quserinterface.h"

#include <QRect>

class QDataSet;
class VarkolinView;

// The module's one content widget: the units list in the frame's view area
// over the module data set.
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

public slots:
    // Reloads the units and shows their number.
    void refresh() override;

private slots:
    void closeEditor();
    void showEditor();
    void onUpdateUI();

private:
    QDataSet *document = nullptr;
    VarkolinView *view = nullptr;
};
