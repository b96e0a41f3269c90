#include "office/content/zip_archive.h"

#include "office/content/little_endian.h"

#include <algorithm>
#include <zlib.h>

namespace lotdraw {

namespace {

// The zip records that are read, with the sizes of their fixed parts.
constexpr quint32 kLocalHeaderSignature = 0x04034b50;
constexpr quint32 kCentralHeaderSignature = 0x02014b50;
constexpr quint32 kEndRecordSignature = 0x06054b50;
constexpr qint64 kLocalHeaderSize = 30;
constexpr qint64 kCentralHeaderSize = 46;
constexpr qint64 kEndRecordSize = 22;
constexpr qint64 kMaxZipCommentSize = 0xffff;
// A workbook lists a few dozen parts; a directory larger than this is not read.
constexpr qint64 kMaxDirectorySize = 1024 * 1024;

constexpr quint16 kEncryptedFlag = 0x0001;
constexpr quint16 kStored = 0;
constexpr quint16 kDeflated = 8;
// How much inflated data is made at a time.
constexpr qsizetype kInflateChunk = 64 * 1024;

// Where a zip's central directory lies, as its end record says.
struct DirectoryPlace {
    qint64 offset = 0;
    qint64 size = 0;
    int entries = 0;
};

// Finds the end record, which comes last, followed only by a comment of at most 64 KiB. Nothing
// when there is none, or when what it says cannot be so.
std::optional<DirectoryPlace> findCentralDirectory(QFile &file) {
    const qint64 fileSize = file.size();
    const qint64 tailSize = std::min(fileSize, kEndRecordSize + kMaxZipCommentSize);
    if (tailSize < kEndRecordSize || !file.seek(fileSize - tailSize)) {
        return std::nullopt;
    }
    const QByteArray tail = file.read(tailSize);
    if (tail.size() != tailSize) {
        return std::nullopt;
    }
    qint64 end = tail.size() - kEndRecordSize;
    while (end >= 0 && littleEndian32(tail, end) != kEndRecordSignature) {
        --end;
    }
    if (end < 0) {
        return std::nullopt;
    }
    const qint64 endInFile = fileSize - tailSize + end;
    const quint16 disk = littleEndian16(tail, end + 4);
    const quint16 directoryDisk = littleEndian16(tail, end + 6);
    const quint16 entriesOnDisk = littleEndian16(tail, end + 8);
    const DirectoryPlace place{littleEndian32(tail, end + 16), littleEndian32(tail, end + 12),
                               littleEndian16(tail, end + 10)};
    // Split archives and Zip64 (whose markers break these checks) are not workbooks we read.
    if (disk != 0 || directoryDisk != 0 || entriesOnDisk != place.entries || place.size > kMaxDirectorySize ||
        place.offset > endInFile || place.size > endInFile - place.offset) {
        return std::nullopt;
    }
    return place;
}

// Raw deflate data, as zip entries hold it, inflated up to one byte past `maxSize`.
std::optional<QByteArray> inflated(const QByteArray &data, qint64 maxSize) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return std::nullopt;
    }
    // zlib takes a non-const pointer but does not write through it.
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = static_cast<uInt>(data.size());
    QByteArray output;
    int status = Z_OK;
    while (status == Z_OK && output.size() <= maxSize) {
        const qsizetype done = output.size();
        output.resize(done + kInflateChunk);
        stream.next_out = reinterpret_cast<Bytef *>(output.data() + done);
        stream.avail_out = static_cast<uInt>(kInflateChunk);
        status = inflate(&stream, Z_NO_FLUSH);
        output.resize(done + kInflateChunk - static_cast<qsizetype>(stream.avail_out));
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END || output.size() > maxSize) {
        return std::nullopt;
    }
    return output;
}

} // namespace

std::optional<QList<ZipEntry>> readZipDirectory(QFile &file) {
    const std::optional<DirectoryPlace> place = findCentralDirectory(file);
    if (!place || !file.seek(place->offset)) {
        return std::nullopt;
    }
    const QByteArray directory = file.read(place->size);
    if (directory.size() != place->size) {
        return std::nullopt;
    }
    // Local headers are no help for the sizes, as writers may leave them empty.
    QList<ZipEntry> entries;
    qint64 at = 0;
    for (int entry = 0; entry < place->entries; ++entry) {
        if (at + kCentralHeaderSize > directory.size() || littleEndian32(directory, at) != kCentralHeaderSignature) {
            return std::nullopt;
        }
        const qint64 nameLength = littleEndian16(directory, at + 28);
        const qint64 next = at + kCentralHeaderSize + nameLength + littleEndian16(directory, at + 30) +
                            littleEndian16(directory, at + 32);
        if (next > directory.size()) {
            return std::nullopt;
        }
        entries.append({directory.mid(at + kCentralHeaderSize, nameLength), littleEndian16(directory, at + 8),
                        littleEndian16(directory, at + 10), littleEndian32(directory, at + 20),
                        littleEndian32(directory, at + 42)});
        at = next;
    }
    return entries;
}

bool startsLikeZip(const QByteArray &head) {
    return head.size() >= kLocalHeaderSize && littleEndian32(head, 0) == kLocalHeaderSignature;
}

std::optional<std::pair<QByteArray, QByteArray>> firstStoredEntry(const QByteArray &head) {
    if (!startsLikeZip(head) || littleEndian16(head, 8) != kStored) {
        return std::nullopt;
    }
    const qint64 size = littleEndian32(head, 18);
    const qint64 nameLength = littleEndian16(head, 26);
    const qint64 data = kLocalHeaderSize + nameLength + littleEndian16(head, 28);
    if (data + size > head.size()) {
        return std::nullopt;
    }
    return std::pair(head.sliced(kLocalHeaderSize, nameLength), head.sliced(data, size));
}

std::optional<QByteArray> readZipEntry(QFile &file, const ZipEntry &entry, qint64 maxSize) {
    if ((entry.flags & kEncryptedFlag) != 0 || (entry.method != kStored && entry.method != kDeflated) ||
        entry.compressedSize > maxSize || !file.seek(entry.localHeaderOffset)) {
        return std::nullopt;
    }
    const QByteArray header = file.read(kLocalHeaderSize);
    if (header.size() != kLocalHeaderSize || littleEndian32(header, 0) != kLocalHeaderSignature) {
        return std::nullopt;
    }
    const qint64 dataOffset =
        entry.localHeaderOffset + kLocalHeaderSize + littleEndian16(header, 26) + littleEndian16(header, 28);
    if (dataOffset > file.size() || entry.compressedSize > file.size() - dataOffset || !file.seek(dataOffset)) {
        return std::nullopt;
    }
    const QByteArray data = file.read(entry.compressedSize);
    if (data.size() != entry.compressedSize) {
        return std::nullopt;
    }
    return entry.method == kStored ? std::optional<QByteArray>(data) : inflated(data, maxSize);
}

} // namespace lotdraw
