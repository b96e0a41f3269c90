#include "skin/fonts.h"

#include <QFont>
#include <QStringList>

namespace lotdraw {

void installFontSubstitutes() {
    // A Ming (Song) serif for 宋体. UMing first: its line height is close to the original face,
    // so 12-point captions fit the small labels they were laid out for.
    QFont::insertSubstitutions(QStringLiteral("宋体"),
                               {QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
                                QStringLiteral("Noto Serif CJK"), QStringLiteral("WenQuanYi Zen Hei")});
    // A brush face for 隶书: the Kai face is the nearest calligraphic style that Debian ships.
    QFont::insertSubstitutions(QStringLiteral("隶书"),
                               {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL UMing CN"),
                                QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Zen Hei")});
}

QFont withRealBoldWhenLarge(QFont font, qreal dotsPerInch) {
    // Qt's own limit for drawing glyphs from its cache (QT_MAX_CACHED_GLYPH_SIZE).
    constexpr qreal kLargestCachedGlyphPixels = 64;
    const qreal pixels = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * dotsPerInch / 72.0;
    if (!font.bold() || pixels <= kLargestCachedGlyphPixels || font.family() != QStringLiteral("宋体")) {
        return font;
    }
    font.setFamilies({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Serif CJK"), QStringLiteral("宋体")});
    return font;
}

} // namespace lotdraw
