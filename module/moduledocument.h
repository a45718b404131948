#pragma once

#include <QObject>

class QDataSet;

// Adds the module's tables to the set: the units, their workplaces and
// products, and the read-only look-ups of the dialogs, on the host's
// connection, as Qt children of the parent. No table is opened.
void addModuleTables(QDataSet *document, QObject *parent);
