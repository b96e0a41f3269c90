#include "office/workbook_content.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace lotdraw {

namespace {

// The start of a file, enough for every signature looked at and the first entry of a zip.
constexpr qint64 kHeadSize = 4096;

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

// Callers check that the bytes are there.
quint16 littleEndian16(const QByteArray &bytes, qint64 at) {
    return static_cast<quint16>(static_cast<quint8>(bytes.at(at)) | static_cast<quint8>(bytes.at(at + 1)) << 8);
}

quint32 littleEndian32(const QByteArray &bytes, qint64 at) {
    return static_cast<quint32>(littleEndian16(bytes, at)) | static_cast<quint32>(littleEndian16(bytes, at + 2)) << 16;
}

// An OpenDocument package begins with an entry "mimetype", stored uncompressed, whose content is
// the package's media type, so the first local header tells the kind without reading further.
bool isOpenDocumentSpreadsheet(const QByteArray &head) {
    static constexpr QByteArrayView name("mimetype");
    static constexpr QByteArrayView mediaType("application/vnd.oasis.opendocument.spreadsheet");
    const quint16 method = littleEndian16(head, 8);
    const quint32 size = littleEndian32(head, 18);
    const qint64 nameLength = littleEndian16(head, 26);
    const qint64 extraLength = littleEndian16(head, 28);
    const qint64 data = kLocalHeaderSize + nameLength + extraLength;
    return method == 0 && nameLength == name.size() && size == mediaType.size() &&
           data + mediaType.size() <= head.size() &&
           QByteArrayView(head).sliced(kLocalHeaderSize, nameLength) == name &&
           QByteArrayView(head).sliced(data, mediaType.size()) == mediaType;
}

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

// The names of the entries the central directory lists; nothing when it cannot be read whole.
// Local headers are no help here, as writers may leave their sizes empty.
std::optional<QList<QByteArray>> zipEntryNames(QFile &file) {
    const std::optional<DirectoryPlace> place = findCentralDirectory(file);
    if (!place || !file.seek(place->offset)) {
        return std::nullopt;
    }
    const QByteArray directory = file.read(place->size);
    if (directory.size() != place->size) {
        return std::nullopt;
    }
    QList<QByteArray> names;
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
        names.append(directory.mid(at + kCentralHeaderSize, nameLength));
        at = next;
    }
    return names;
}

// Whether the zip lists the two parts every Office Open XML workbook has. Nothing when its
// directory cannot be found or read: a cut-off or damaged zip.
std::optional<bool> holdsOfficeOpenXmlParts(QFile &file) {
    const std::optional<QList<QByteArray>> names = zipEntryNames(file);
    if (!names) {
        return std::nullopt;
    }
    // Part names of a package compare without regard to case.
    const auto lists = [&names](QByteArrayView wanted) {
        return std::any_of(names->begin(), names->end(), [wanted](const QByteArray &name) {
            return QByteArrayView(name).compare(wanted, Qt::CaseInsensitive) == 0;
        });
    };
    return lists("[Content_Types].xml") && lists("xl/workbook.xml");
}

} // namespace

WorkbookContent workbookContent(const QString &path) {
    // Never open anything but a plain file: a pipe would block the read.
    if (!QFileInfo(path).isFile()) {
        return WorkbookContent::Other;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return WorkbookContent::Other;
    }
    const QByteArray head = file.read(kHeadSize);
    static const QByteArray compoundFile = QByteArray::fromHex("d0cf11e0a1b11ae1");
    if (head.startsWith(compoundFile)) {
        return WorkbookContent::Excel97;
    }
    // A BIFF beginning-of-file record: 0x0009, 0x0209, 0x0409 or 0x0809, little-endian.
    if (head.size() >= 2 && head.at(0) == '\x09' &&
        (head.at(1) == '\x00' || head.at(1) == '\x02' || head.at(1) == '\x04' || head.at(1) == '\x08')) {
        return WorkbookContent::Excel97;
    }
    if (head.size() < kLocalHeaderSize || littleEndian32(head, 0) != kLocalHeaderSignature) {
        return WorkbookContent::Other;
    }
    if (isOpenDocumentSpreadsheet(head)) {
        return WorkbookContent::OpenDocument;
    }
    const std::optional<bool> parts = holdsOfficeOpenXmlParts(file);
    if (!parts) {
        return WorkbookContent::Damaged;
    }
    return *parts ? WorkbookContent::OfficeOpenXml : WorkbookContent::Other;
}

} // namespace lotdraw
