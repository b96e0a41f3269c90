#pragma once

#include <QString>

namespace lotdraw {

// Replacing a file so that a failure, a crash or a killed writer leaves either the old file or
// the new one whole, never a torn mix: the new content is written to a temporary file in the same
// folder, flushed to disk, and then renamed over the target in one step.

// A fresh, unused name for a temporary file beside `target` (hidden, with the target's suffix).
[[nodiscard]] QString temporarySibling(const QString &target);

// Moves the finished `temporary` file to `target`. With `mayReplace` an existing target is
// replaced atomically and keeps its permissions; without it an existing target is left alone and
// the call fails. On failure the temporary file is removed and the reason returned; on success
// the empty text.
[[nodiscard]] QString publishFile(const QString &temporary, const QString &target, bool mayReplace);

// The real file behind `path` (symbolic links followed), so that a replacement lands where the
// link points instead of replacing the link; `path` itself when it does not exist yet.
[[nodiscard]] QString resolvedTarget(const QString &path);

} // namespace lotdraw
