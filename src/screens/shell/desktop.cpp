// SPDX-License-Identifier: MIT
#include "screens/shell/desktop.h"

#include "screens/shell/look.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QPalette>
#include <QPixmapCache>
#include <QStyleFactory>
#include <QTranslator>

namespace nirdal {
namespace {

// Room for the style's pixmaps of the screens on show (Qt's own default is 10 MB).
constexpr int kStylePixmapCacheKb = 1024;

// The palette every screen starts from: the light colours of the designs.
QPalette DesignPalette()
{
    // Every role of every group is set, so nothing of the desktop's palette shows through.
    const QColor white(0xFF, 0xFF, 0xFF);
    const QColor grayText(0x6D, 0x6D, 0x6D); // clGrayText
    QPalette palette;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        const QColor text = disabled ? grayText : look::kWindowText;
        palette.setColor(group, QPalette::Window, look::kButtonFace);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Base, disabled ? look::kButtonFace : white);
        palette.setColor(group, QPalette::AlternateBase, QColor(0xF7, 0xF7, 0xF7));
        palette.setColor(group, QPalette::ToolTipBase, look::kInfoBackground);
        palette.setColor(group, QPalette::ToolTipText, look::kWindowText);
        palette.setColor(group, QPalette::PlaceholderText, grayText);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::Button, look::kButtonFace);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::BrightText, white);
        palette.setColor(group, QPalette::Light, white);
        palette.setColor(group, QPalette::Midlight, QColor(0xE3, 0xE3, 0xE3));
        palette.setColor(group, QPalette::Mid, QColor(0xA0, 0xA0, 0xA0));
        palette.setColor(group, QPalette::Dark, QColor(0x69, 0x69, 0x69));
        palette.setColor(group, QPalette::Shadow, look::kWindowText);
        palette.setColor(group, QPalette::Highlight,
                         disabled ? look::kButtonFace : look::kHighlight);
        palette.setColor(group, QPalette::HighlightedText, disabled ? grayText : white);
        palette.setColor(group, QPalette::Link, look::kHotLight);
        palette.setColor(group, QPalette::LinkVisited, look::kPurple);
    }
    return palette;
}

} // namespace

bool SetUpDesktop(QApplication& application)
{
    // Fusion draws the same on every desktop; the desktop's own style may take its colours
    // from the theme rather than from the palette.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication::setPalette(DesignPalette());
    QApplication::setFont(look::DefaultFont());
    // The style keeps its drawn bevels in the pixmap cache under each screen's palette, and
    // every pass of the assignment loop brings screens with palettes of their own: a small
    // cache holds what the screens in front of the student use, not a long lesson's worth.
    QPixmapCache::setCacheLimit(kStylePixmapCacheKb);

    // The program speaks Russian whatever the user's language, so Qt's texts must as well.
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

} // namespace nirdal
