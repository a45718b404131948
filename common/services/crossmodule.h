#pragma once

#include "varkolin_export.h"

#include <QIcon>
#include <QRect>
#include <QString>

class QWidget;

// Calls into sibling modules that this library does not link to. Each call
// loads the sibling from "libDir" by its name (outside the library cache, and
// never unloaded) and calls one entry point; when the sibling or its entry
// point is missing, nothing happens.

// "libDir", a slash and the file; just the file without a "libDir".
VARKOLIN_EXPORT QString getLibDirFile(const QString &file);
// The icon of the library's getIcon; an empty icon when there is none.
VARKOLIN_EXPORT QIcon getLibIcon(const QString &libraryName);
// The item history report of the module "Pelmarin".
VARKOLIN_EXPORT void showPelmarin(qlonglong id, QWidget *parent, QRect area);
// The same report for the family of the item, looked up on the host's
// connection; without a connection nothing happens.
VARKOLIN_EXPORT void showPelmarinByItem(qlonglong itemId, QWidget *parent, QRect area);
// The design documentation panel of the module "Olvestra"; null when unavailable.
VARKOLIN_EXPORT QWidget *getOlvestra(QWidget *parent);
VARKOLIN_EXPORT void setIDVersionOlvestra(QWidget *panel, qlonglong id);
VARKOLIN_EXPORT void setIDProductOlvestra(QWidget *panel, qlonglong id);
// The dialog of the process technology module "DravenikEditor".
VARKOLIN_EXPORT void showDravenikEditor(qlonglong firstId, qlonglong secondId, QWidget *parent, QRect area);
