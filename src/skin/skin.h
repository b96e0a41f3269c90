#pragma once

namespace lotdraw {

// Dresses every window of the program: the Fusion style, a light palette and our style sheet.
// Takes no arguments and never throws; the result says whether the style sheet could be loaded
// (0) or the plain palette had to do (1). Callers may ignore it: the window opens either way.
int attachSkin() noexcept;

} // namespace lotdraw
