#pragma once

#include "varkolin_export.h"

#include <QString>

// What a connection tells or asks a person while it connects. The default
// shows message boxes, or uses the console in console mode; a host that
// knows the answers itself, or a test, installs its own.
class VARKOLIN_EXPORT QConnectionPrompts
{
public:
    virtual ~QConnectionPrompts();

    // The driver could not connect; the answer is its reason.
    virtual void connectFailed(const QString &answer, bool consoleMode);
    // Whether to create the schema in a database that has none.
    virtual bool confirmCreate(bool consoleMode);
    // Creating the database failed at step code (1001 to 1003).
    virtual void internalError(int code, bool consoleMode);

    // The prompts in use; never null.
    static QConnectionPrompts *current();
    // Installs prompts, or the default ones for null, and returns those that
    // were in use. The caller keeps ownership and reinstalls the previous ones.
    static QConnectionPrompts *install(QConnectionPrompts *prompts);
};
