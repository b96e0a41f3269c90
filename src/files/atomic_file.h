#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

namespace lotdraw {

// Replacing a file so that a failure, a crash or a killed writer leaves either the old file or
// the new one whole, never a torn mix: the new content is written to a temporary file in the same
// folder, flushed to disk, and then renamed over the target in one step.

// A fresh temporary file name for one save of `target`: the file carries the target's name inside a
// new private folder beside it (hidden, on the same file system, so the final rename stays one
// step). The office writes scratch files of its own next to the file it stores; they land in that
// folder and go with it. The empty text when the folder cannot be made.
[[nodiscard]] QString temporarySibling(const QString &target);

// Removes a temporary file made by temporarySibling() together with its private folder and
// whatever else was left in there.
void removeTemporary(const QString &temporary);

// Removes the private folders that temporarySibling() made in `folder` and a writer killed before
// it finished left behind: those last changed before `before`, so that a save under way in another
// process keeps its own. Nothing else in the folder is touched.
void removeLeftTemporaries(const QString &folder, const QDateTime &before);

// Flushes the file or folder at `path` to the disk (fsync); false, with errno set, when it fails.
[[nodiscard]] bool syncToDisk(const QString &path);
// How publishFile() flushes: syncToDisk(), or a stand-in of a test's.
using DiskSync = std::function<bool(const QString &path)>;

// Moves the finished `temporary` file to `target`. With `mayReplace` an existing target is
// replaced atomically and keeps its permissions; without it an existing target is left alone and
// the call fails. The new content reaches the disk before its name takes the target's place, and
// the folder's new entry after. Either way the temporary file's private folder is removed; on
// failure the reason is returned, on success the empty text.
[[nodiscard]] QString publishFile(const QString &temporary, const QString &target, bool mayReplace,
                                  const DiskSync &sync = syncToDisk);

// The real file behind `path` (symbolic links followed), so that a replacement lands where the
// link points instead of replacing the link; `path` itself when it does not exist yet.
[[nodiscard]] QString resolvedTarget(const QString &path);

// True when this login may replace the file at `path` the way a save does: the file itself and the
// folder it lies in can both be written. A read-only file system, a write-protected file or a
// folder without write permission all say no.
[[nodiscard]] bool canReplaceFile(const QString &path);

} // namespace lotdraw
