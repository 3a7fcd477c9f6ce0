#pragma once

class QWidget;

// Makes a dialog at least as wide as its caption needs in the default font, with room for the
// title bar's icon and buttons, so that the desktop shows the whole caption.
void FitWidthToCaption(QWidget& dialog);
