#include "varkolincontent.h"
#include "qdataset.h"
#include "qdatatable.h"
#include "varkolinview.h"

#include <QPointer>

extern "C" QDataSet *getDocument(QObject *parent);
extern "C" QWidget *getView(QDataSet *document, QWidget *parent);

namespace {

// Guarded: a host that destroys the content gets a new one from the next
// getInterface instead of a dangling pointer.
QPointer<VarkolinContent> content;

} // namespace

VarkolinContent::VarkolinContent(QWidget *parent)
    : QUserInterface(parent)
{
    setCaption(tr("Справочник участков производства"));
    document = getDocument(this);
    initView();
    moduleActions()->append(*VarkolinView::toolBarActions());
}

QList<QAction *> *VarkolinContent::moduleActions()
{
    static QList<QAction *> actions;
    return &actions;
}

VarkolinContent::~VarkolinContent() = default;

VarkolinContent *VarkolinContent::instance()
{
    return content;
}

void VarkolinContent::setInstance(VarkolinContent *newContent)
{
    content = newContent;
}

QRect VarkolinContent::bounds()
{
    if (!content)
        return QRect(0, 0, 0, 0);
    const QRect g = content->geometry();
    const qint64 x1 = g.left(), y1 = g.top(), x2 = g.right(), y2 = g.bottom();
    const QPoint centre = content->mapToGlobal(QPoint(int((x1 + x2) / 2), int((y1 + y2) / 2)));
    const int w = int(x2 - x1 - 20);
    const int h = int(y2 - y1);
    const int left = centre.x() - w / 2;
    const int top = centre.y() - h / 2;
    return QRect(QPoint(left, top), QPoint(left + w, top + h));
}

bool VarkolinContent::initDocument()
{
    document = getDocument(this);
    return true;
}

bool VarkolinContent::initView()
{
    view = qobject_cast<VarkolinView *>(getView(document, this));
    if (view)
        viewLayout->addWidget(view);
    return true;
}

QString VarkolinContent::helpContext()
{
    QString key = QStringLiteral("Varkolin");
    if (view && view->tvContent->hasFocus())
        return key + QStringLiteral("#tvVarkolin");
    return key;
}

void VarkolinContent::refresh()
{
    setProperty("blockAutoRefresh", true);
    if (view)
        view->refresh();
    onUpdateUI();
}

void VarkolinContent::onUpdateUI()
{
    QDataTable *units = document ? document->getTable(QStringLiteral("t_prod_units")) : nullptr;
    if (units)
        Status->setText(tr("Всего подразделений: %1").arg(units->rowCount()));
}

void VarkolinContent::showEditor()
{
    editFrame->setVisible(true);
}

void VarkolinContent::closeEditor()
{
    editFrame->setVisible(false);
}
