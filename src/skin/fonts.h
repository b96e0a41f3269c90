#pragma once

namespace lotdraw {

// The window asks for its fonts by their Windows names ("宋体", "隶书"). Maps them onto installed
// CJK faces of the same kind, so no text ever renders as empty boxes. Safe to call more than once.
void installFontSubstitutes();

} // namespace lotdraw
