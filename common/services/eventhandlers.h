#pragma once

#include "varkolin_export.h"

#include <QMap>
#include <QString>

// A callback one module offers the others under an event name.
typedef void (*eventHandlerFunc)(QString, qlonglong);

struct VARKOLIN_EXPORT eventHandlerInfo
{
    QString text; // given at registration, handed back with the handler
    eventHandlerFunc handler = nullptr;
};

// The host's registry, keyed by event name trimmed and lower-cased; the
// host owns one and publishes it as "EventHandlers".
typedef QMap<QString, eventHandlerInfo> eventHandlerMap;

// Adds the handler to the host's registry. False without a registry, for a
// null handler, or when the event has a handler already (the first one stays).
VARKOLIN_EXPORT bool registerEventHandler(const QString &event, eventHandlerFunc handler, const QString &text);
// The handler registered for the event; an empty text and a null handler when none.
VARKOLIN_EXPORT eventHandlerInfo getEventHandler(const QString &event);
