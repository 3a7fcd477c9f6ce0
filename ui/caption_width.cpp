#include "ui/caption_width.h"

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>

namespace {

// The window icon and the close, minimize and maximize buttons, and some margin. Title bars
// often draw in a bold face: a tenth more for that.
constexpr int kTitleBarFurniture = 160;
constexpr double kBoldAllowance = 1.1;

}  // namespace

void FitWidthToCaption(QWidget& dialog) {
    const QFontMetrics metrics(QApplication::font());
    const int needed =
        static_cast<int>(metrics.horizontalAdvance(dialog.windowTitle()) * kBoldAllowance) + kTitleBarFurniture;
    if (dialog.minimumWidth() < needed) {
        dialog.setMinimumWidth(needed);
    }
}
