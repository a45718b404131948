#include "qpluginheader.h"

QPluginHeader::QPluginHeader(QWidget *parent)
    : QLabel(parent)
{
}
