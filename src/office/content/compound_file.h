#pragma once

#include <QFile>
#include <QStringList>
#include <optional>

namespace lotdraw {

// True when `head`, the start of a file, carries the signature of a compound file.
[[nodiscard]] bool hasCompoundFileSignature(const QByteArray &head);

// The names of the streams and storages in the directory of a compound file (the container of
// Excel 97 workbooks, and of Office Open XML packages encrypted with a password). Nothing when the
// file is no compound file or its directory cannot be read. Reads are bounded: the directory is
// followed for a few dozen sectors at most, and no sector number in the file is trusted.
[[nodiscard]] std::optional<QStringList> compoundFileEntryNames(QFile &file);

} // namespace lotdraw
