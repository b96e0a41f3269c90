#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <span>

namespace lotdraw {

// Places are kept in twips (1/1440 inch); the normal window shows 15 twips to a pixel.
inline constexpr int kTwipsPerPixel = 15;
// The window's client area.
inline constexpr QSize kFormTwips{13230, 6720};
inline constexpr QSize kFormPixels{kFormTwips.width() / kTwipsPerPixel, kFormTwips.height() / kTwipsPerPixel};

// Where one control of the window lies and which font it shows, as laid out for the normal window.
struct ControlPlace {
    enum class Face { Song, Li }; // "宋体", "隶书"

    const char *name; // the control's objectName
    QRect twips;      // Left, Top, Width, Height from the top-left corner of its container
    Face face;
    qreal points;
    bool bold;

    // The font, its size multiplied by `scale`. Asked for by its Windows name; skin/fonts.cpp maps
    // it onto an installed face.
    [[nodiscard]] QFont font(qreal scale = 1.0) const;
};

// Every control of the window that has a place, front to back within each container.
[[nodiscard]] std::span<const ControlPlace> formLayout();

} // namespace lotdraw
