#pragma once

#include <QRect>

class QWidget;

// The module's larger dialogs sit over its content. The placement lives
// apart from the content's class so that the editor, which the content
// holds, places its dialogs without depending on the content.

// The widget the dialogs are placed over (the module's content), or null.
void setDialogArea(QWidget *area);
// 20 pixels narrower than the area, as high, centred on it, in screen
// coordinates; the null rectangle without an area.
QRect dialogBounds();
