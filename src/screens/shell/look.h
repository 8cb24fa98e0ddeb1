// SPDX-License-Identifier: MIT
#pragma once

// The one table of look choices: the fonts and system colours the screens were designed
// with, and what stands in for them on Linux. Every screen takes its fonts and colours from
// here, so a change of mind is made in one place.

#include <QColor>
#include <QFont>
#include <QString>

namespace nirdal::look {

// Fonts. Screens were designed in "MS Sans Serif", a Windows bitmap font Linux lacks. DejaVu
// Sans (package fonts-dejavu-core) is a sans-serif with Cyrillic glyphs; sizes are given in
// pixels at the designed 96 dots per inch, so a screen looks the same on any monitor setting.
inline const QString kSansSerif = QStringLiteral("DejaVu Sans");

/// Pixel height of a font designed at the given point size (8 pt → 11 px, 12 pt → 16 px).
constexpr int PointsToPixels(int points)
{
    return (points * 96 + 36) / 72;
}

/// The sans-serif stand-in at a pixel height, optionally bold.
inline QFont Font(int pixels, bool bold = false)
{
    QFont font(kSansSerif);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

/// The screens' default font: MS Sans Serif 8 pt.
inline QFont DefaultFont()
{
    return Font(PointsToPixels(8));
}

// System colours, with the values of a default Windows desktop.
inline const QColor kInfoBackground{0xFF, 0xFF, 0xE1}; // clInfoBk, tooltip background
inline const QColor kHighlight{0x00, 0x78, 0xD7};      // clHighlight
inline const QColor kMenuHighlight{0x00, 0x78, 0xD7};  // clMenuHighlight
inline const QColor kHotLight{0x00, 0x66, 0xCC};       // clHotLight
inline const QColor kButtonFace{0xF0, 0xF0, 0xF0};     // clBtnFace
inline const QColor kMenu{0xF0, 0xF0, 0xF0};           // clMenu
inline const QColor kCaptionText{0xFF, 0xFF, 0xFF};    // clCaptionText
inline const QColor kActiveCaption{0x99, 0xB4, 0xD1};  // clActiveCaption
inline const QColor kWindowText{0x00, 0x00, 0x00};     // clWindowText
// clBackground, the desktop colour: the classic blue rather than a plain black desktop,
// so that black text on panels of this colour stays readable.
inline const QColor kBackground{0x3A, 0x6E, 0xA5};

// Named colours of the design.
inline const QColor kSkyBlue{0xA6, 0xCA, 0xF0}; // clSkyBlue
inline const QColor kBlack{0x00, 0x00, 0x00};
inline const QColor kBlue{0x00, 0x00, 0xFF};
inline const QColor kNavy{0x00, 0x00, 0x80};
inline const QColor kMaroon{0x80, 0x00, 0x00};
inline const QColor kPurple{0x80, 0x00, 0x80};
inline const QColor kOlive{0x80, 0x80, 0x00};
inline const QColor kAqua{0x00, 0xFF, 0xFF};
inline const QColor kLime{0x00, 0xFF, 0x00};
inline const QColor kGreen{0x00, 0x80, 0x00};
inline const QColor kYellow{0xFF, 0xFF, 0x00};

} // namespace nirdal::look
