#include "driverinterface.h"

#include <QLibrary>

namespace {

template<typename Fn>
void resolveOne(QLibrary &library, const char *name, Fn *&entry, QStringList *missing)
{
    entry = reinterpret_cast<Fn *>(library.resolve(name));
    if (!entry && missing)
        missing->append(QLatin1String(name));
}

} // namespace

driverEntryPoints resolveDriverEntryPoints(QLibrary &library, QStringList *missing)
{
    driverEntryPoints entries;
    resolveOne(library, "Connect", entries.Connect, missing);
    resolveOne(library, "getStart", entries.getStart, missing);
    resolveOne(library, "getScript", entries.getScript, missing);
    resolveOne(library, "canDo", entries.canDo, missing);
    resolveOne(library, "getSystemAttr", entries.getSystemAttr, missing);
    resolveOne(library, "bindQueryParam", entries.bindQueryParam, missing);
    resolveOne(library, "GetPanels", entries.GetPanels, missing);
    resolveOne(library, "convert", entries.convert, missing);
    resolveOne(library, "login", entries.login, missing);
    resolveOne(library, "batchExec", entries.batchExec, missing);
    resolveOne(library, "resultExecSQL", entries.resultExecSQL, missing);
    resolveOne(library, "scopeIdentity", entries.scopeIdentity, missing);
    resolveOne(library, "fullName", entries.fullName, missing);
    return entries;
}
