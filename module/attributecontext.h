#pragma once

#include "varkolin_export.h"

#include <QtGlobal>

class QDataSet;
class QWidget;

// What an attribute dialog built with only a parent reads from the unit
// editor that is that parent: its current tab, its data set and its unit.
// The editor registers the reader, so that the dialogs need not know it.
struct AttributeContext
{
    int tab = -1;
    QDataSet *document = nullptr;
    qlonglong unitId = -1;
};

// Reads the context of a parent; false when the parent is not an editor.
using AttributeContextReader = bool (*)(const QWidget *parent, AttributeContext *context);

VARKOLIN_EXPORT void setAttributeContextReader(AttributeContextReader reader);
// False without a reader, without a parent, or for a parent that is not an editor.
bool readAttributeContext(const QWidget *parent, AttributeContext *context);
