// The plug-in boundary: the functions the host finds by name. They only
// hand over to the module's classes.

#include "moduledocument.h"
#include "varkolin_export.h"
#include "varkolincontent.h"
#include "varkolineditor.h"
#include "varkolinview.h"

#include <QIcon>
#include <QStringList>

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
    return moduleDocument(parent);
}

VARKOLIN_EXPORT QWidget *getView(QDataSet *document, QWidget *parent)
{
    return new VarkolinView(document, parent);
}

VARKOLIN_EXPORT QWidget *getEditor(QDataSet *document, QWidget *parent)
{
    return new VarkolinEditor(document, parent);
}

// The translations are named after the module, not after the library file
// ("varkolin_en", not "libVarkolin_en").
VARKOLIN_EXPORT QString getSysName()
{
    return QStringLiteral("varkolin");
}

VARKOLIN_EXPORT QIcon getIcon()
{
    return QIcon(QStringLiteral(":/res/companies.png"));
}

} // extern "C"
