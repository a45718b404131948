#pragma once

#include "varkolin_export.h"

#include <QLabel>

// The caption bar of a module's content; a class of its own so that the host's
// style sheets can single it out.
class VARKOLIN_EXPORT QPluginHeader : public QLabel
{
    Q_OBJECT
public:
    // An empty caption label.
    explicit QPluginHeader(QWidget *parent = nullptr);
};
