#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <optional>
#include <utility>

namespace lotdraw {

// One entry of a zip's central directory, as far as reading it needs.
struct ZipEntry {
    QByteArray name;
    quint16 flags = 0;
    quint16 method = 0;
    qint64 compressedSize = 0;
    qint64 localHeaderOffset = 0;
};

// True when `head`, the start of a file, begins with a zip's first local header.
[[nodiscard]] bool startsLikeZip(const QByteArray &head);

// The name and the content of a zip's first entry, read from its local header at the start of
// `head`, when that entry is stored uncompressed and lies in `head` whole; nothing otherwise.
[[nodiscard]] std::optional<std::pair<QByteArray, QByteArray>> firstStoredEntry(const QByteArray &head);

// The entries a zip's central directory lists. Nothing when there is no directory, when it cannot
// be read whole, or when what its end record says cannot be so (split archives and Zip64 included).
[[nodiscard]] std::optional<QList<ZipEntry>> readZipDirectory(QFile &file);

// The content of one entry, stored or deflated. Nothing when it cannot be read, is encrypted, is
// damaged, or would come to more than `maxSize` bytes: neither its sizes nor its compressed data
// are trusted further than that.
[[nodiscard]] std::optional<QByteArray> readZipEntry(QFile &file, const ZipEntry &entry, qint64 maxSize);

} // namespace lotdraw
