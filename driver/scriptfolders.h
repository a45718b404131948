#pragma once

#include <QStringList>

// The folders where the driver looks for named scripts that it does not
// carry itself (a module's), each laid out as its own resources are:
// <folder>/<dialect>/<NAME>.sql before <folder>/common/<NAME>.sql. First the
// folders of the environment variable VARKOLIN_SQL_PATH, in their order, then
// the scripts folder of the installation this driver belongs to.
QStringList scriptFolders();
