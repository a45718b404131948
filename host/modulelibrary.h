#pragma once

#include <QCoreApplication>
#include <QIcon>
#include <QLibrary>
#include <QList>

class QAction;
class QDataSet;
class QWidget;

// The module library as the host sees it: a set of functions found by name.
class ModuleLibrary
{
    Q_DECLARE_TR_FUNCTIONS(ModuleLibrary)
public:
    explicit ModuleLibrary(const QString &fileName);

    bool load();
    // The module's content: its interface when it offers one, else the view
    // of its document.
    QWidget *createContent(QWidget *parent);
    QList<QAction *> toolBarActions(QWidget *content) const;
    QIcon icon() const;
    // The base name of the module's translation files, as the library loader finds it.
    QString translationBase();

    QString directory() const;
    QString errorText() const { return m_error; }

private:
    typedef QStringList (*ContentFn)();
    typedef QWidget *(*InterfaceFn)(QWidget *);
    typedef QList<QAction *> *(*ToolBarFn)();
    typedef QWidget *(*ViewFn)(QDataSet *, QWidget *);
    typedef QDataSet *(*DocumentFn)(QObject *);
    typedef QIcon (*IconFn)();

    // The module's own function of that name; null when it has none.
    QFunctionPointer ownEntry(const char *name);
    bool offers(const char *entryPoint) const;

    QLibrary m_library;
    QStringList m_content;
    bool m_hasContentList = false;
    InterfaceFn m_getInterface = nullptr;
    ToolBarFn m_getToolBarActions = nullptr;
    ViewFn m_getView = nullptr;
    DocumentFn m_getDocument = nullptr;
    IconFn m_getIcon = nullptr;
    bool m_usesInterface = false;
    QString m_error;
};
