#include "modulelibrary.h"
#include "liblist.h"

#include <QAction>
#include <QFileInfo>
#include <QWidget>


ModuleLibrary::ModuleLibrary(const QString &fileName)
    : m_library(fileName)
{
}

bool ModuleLibrary::load()
{
    // QLibrary tries other names for a missing file and then reports the last one.
    if (!QFileInfo::exists(m_library.fileName())) {
        m_error = tr("The module library %1 does not exist.").arg(m_library.fileName());
        return false;
    }
    if (!m_library.load()) {
        m_error = tr("Cannot load the module %1:\n%2").arg(m_library.fileName(), m_library.errorString());
        return false;
    }
    const auto getContent = reinterpret_cast<ContentFn>(ownEntry("getContent"));
    m_hasContentList = getContent != nullptr;
    if (getContent)
        m_content = getContent();
    m_getInterface = reinterpret_cast<InterfaceFn>(ownEntry("getInterface"));
    m_getToolBarActions = reinterpret_cast<ToolBarFn>(ownEntry("getToolBarActions"));
    m_getView = reinterpret_cast<ViewFn>(ownEntry("getView"));
    m_getDocument = reinterpret_cast<DocumentFn>(ownEntry("getDocument"));
    m_getIcon = reinterpret_cast<IconFn>(ownEntry("getIcon"));
    m_usesInterface = m_getInterface && offers("getInterface");
    if (m_usesInterface || (m_getView && m_getDocument))
        return true;
    m_error = tr("The module %1 offers nothing to show.").arg(m_library.fileName());
    return false;
}

QFunctionPointer ModuleLibrary::ownEntry(const char *name)
{
    return libList::ownEntry(m_library, name);
}

// A module names the functions the host may use; one that names none
// allows them all.
bool ModuleLibrary::offers(const char *entryPoint) const
{
    return !m_hasContentList || m_content.contains(QLatin1String(entryPoint));
}

QWidget *ModuleLibrary::createContent(QWidget *parent)
{
    if (m_usesInterface)
        return m_getInterface(parent);
    return m_getView(m_getDocument(parent), parent);
}

QList<QAction *> ModuleLibrary::toolBarActions(QWidget *content) const
{
    if (m_usesInterface) {
        const QList<QAction *> *actions =
                m_getToolBarActions && offers("getToolBarActions") ? m_getToolBarActions() : nullptr;
        return actions ? *actions : QList<QAction *>();
    }
    QList<QAction *> actions;
    if (!content)
        return actions;
    const QList<QAction *> children = content->findChildren<QAction *>();
    for (const char *name : {"actNew", "actEdit", "actDel"}) {
        for (QAction *action : children) {
            if (action->objectName() == QLatin1String(name))
                actions.append(action);
        }
    }
    return actions;
}

QIcon ModuleLibrary::icon() const
{
    return m_getIcon ? m_getIcon() : QIcon();
}

QString ModuleLibrary::directory() const
{
    return QFileInfo(m_library.fileName()).absolutePath();
}

QString ModuleLibrary::translationBase()
{
    return libList::translationBase(&m_library, QFileInfo(m_library.fileName()).fileName());
}
