// SPDX-License-Identifier: MIT
#include "app/courier_font.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace tremorline::app {

QFont CourierFont(bool bold) {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    }
    font.setPointSizeF(9.75);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(false);
    return font;
}

}  // namespace tremorline::app
