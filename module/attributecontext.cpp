#include "attributecontext.h"

namespace {
AttributeContextReader contextReader = nullptr;
}

void setAttributeContextReader(AttributeContextReader reader)
{
    contextReader = reader;
}

bool readAttributeContext(const QWidget *parent, AttributeContext *context)
{
    return parent && contextReader && contextReader(parent, context);
}
