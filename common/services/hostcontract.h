#pragma once

#include "varkolin_export.h"

#include <QVariant>

// The host publishes objects as dynamic properties of the application object,
// each one a pointer carried as a 64-bit signed integer.

// Wraps a pointer for an application property.
VARKOLIN_EXPORT QVariant objToVar(void *object);

// Reads a pointer back; null for an invalid or non-numeric value.
VARKOLIN_EXPORT void *varToObj(const QVariant &value);
