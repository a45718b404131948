// The plug-in boundary: the functions the host finds by name. They only
// hand over to the module's classes.

#include "moduledocument.h"
#include "qdataset.h"
#include "varkolin_export.h"
#include "varkolincontent.h"
#include "varkolineditor.h"
#include "varkolinview.h"

#include <QIcon>
#include <QPointer>
#include <QStringList>

namespace {

// Guarded: a host that destroys the set's parent gets a new set next time
// instead of a dangling one.
QPointer<QDataSet> moduleDocument;

} // namespace

extern "C" {

VARKOLIN_EXPORT QStringList getContent()
{
    return {QStringLiteral("getInterface"), QStringLiteral("getToolBarActions")};
}

VARKOLIN_EXPORT QWidget *getInterface(QWidget *parent)
{
    if (!VarkolinContent::instance())
        VarkolinContent::setInstance(new VarkolinContent(parent));
    return VarkolinContent::instance();
}

VARKOLIN_EXPORT QList<QAction *> *getToolBarActions()
{
    return VarkolinContent::moduleActions();
}

VARKOLIN_EXPORT QDataSet *getDocument(QObject *parent)
{
    if (!moduleDocument) {
        // Remembered before the tables are built, so that anything asking
        // for the set meanwhile gets this one.
        moduleDocument = new QDataSet(parent);
        addModuleTables(moduleDocument, parent);
    }
    return moduleDocument;
}

VARKOLIN_EXPORT QWidget *getView(QDataSet *document, QWidget *parent)
{
    return new VarkolinView(document, parent);
}

VARKOLIN_EXPORT QWidget *getEditor(QDataSet *document, QWidget *parent)
{
    return new VarkolinEditor(document, parent);
}

VARKOLIN_EXPORT QIcon getIcon()
{
    return QIcon(QStringLiteral(":/res/companies.png"));
}

} // extern "C"
