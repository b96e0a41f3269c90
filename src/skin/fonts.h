#pragma once

#include <QFont>

namespace lotdraw {

// The window asks for its fonts by their Windows names ("宋体", "隶书"). Maps them onto installed
// CJK faces of the same kind, so no text ever renders as empty boxes. Safe to call more than once.
void installFontSubstitutes();

// The Ming face that stands in for "宋体" has no bold of its own; Qt thickens its strokes itself, but
// only for glyphs it draws from its cache, and glyphs taller than 64 pixels are drawn as outlines
// without that. A bold "宋体" that large (the rolling name in full screen) therefore asks for a
// Song face with a real bold weight first, so the name stays bold on a projector. Other fonts are
// returned as they are.
[[nodiscard]] QFont withRealBoldWhenLarge(QFont font, qreal dotsPerInch);

} // namespace lotdraw
