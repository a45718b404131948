#include "eventhandlers.h"
#include "hostcontract.h"

#include <QDebug>

namespace {

QString eventKey(const QString &event)
{
    return event.trimmed().toLower();
}

} // namespace

bool registerEventHandler(const QString &event, eventHandlerFunc handler, const QString &text)
{
    eventHandlerMap *handlers = hostEventHandlers();
    qDebug() << "bool registerEventHandler(QString, eventHandlerFunc, QString)" << event
             << (handler ? "true" : "false") << text << static_cast<void *>(handlers);
    if (!handlers || !handler || handlers->contains(eventKey(event)))
        return false;
    handlers->insert(eventKey(event), {text, handler});
    return true;
}

eventHandlerInfo getEventHandler(const QString &event)
{
    const eventHandlerMap *handlers = hostEventHandlers();
    return handlers ? handlers->value(eventKey(event)) : eventHandlerInfo();
}
