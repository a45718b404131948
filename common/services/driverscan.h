#pragma once

#include "varkolin_export.h"

#include <QList>
#include <QString>

// A database driver library found in a folder.
struct VARKOLIN_EXPORT drvInfo
{
    QString name; // what the library's fullName says
    QString file; // file name inside the folder
};

// The driver libraries of the folder, in the file system's order: every
// library there with a fullName entry point. Each is loaded only to ask its
// name and unloaded again. A missing folder gives an empty list and a warning.
VARKOLIN_EXPORT QList<drvInfo> scanForDrivers(const QString &folder);
