#pragma once

#include <QFile>
#include <QStringList>
#include <optional>

namespace lotdraw {

// The names of the streams and storages in the directory of a compound file (the container of
// Excel 97 workbooks, and of Office Open XML packages encrypted with a password). Nothing when the
// file is no compound file or its directory cannot be read. Reads are bounded: the directory is
// followed for a few dozen sectors at most, and no sector number in the file is trusted.
[[nodiscard]] std::optional<QStringList> compoundFileEntryNames(QFile &file);

} // namespace lotdraw
