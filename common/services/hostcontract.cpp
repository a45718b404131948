#include "hostcontract.h"

QVariant objToVar(void *object)
{
    return QVariant(static_cast<qlonglong>(reinterpret_cast<quintptr>(object)));
}

void *varToObj(const QVariant &value)
{
    bool ok = false;
    const qlonglong address = value.toLongLong(&ok);
    if (!ok)
        return nullptr;
    return reinterpret_cast<void *>(static_cast<quintptr>(address));
}
