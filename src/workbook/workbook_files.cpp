#include "workbook/workbook_files.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QUrl>
#include <algorithm>
#include <array>
#include <pwd.h>
#include <unistd.h>

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

// Whether the zip's central directory lists the two parts every Office Open XML workbook has.
// Nothing when the directory cannot be found or read: a cut-off or damaged zip. Local headers are
// no help here, as writers may leave their sizes empty.
std::optional<bool> holdsOfficeOpenXmlParts(QFile &file) {
    const qint64 fileSize = file.size();
    const qint64 tailSize = std::min(fileSize, kEndRecordSize + kMaxZipCommentSize);
    if (tailSize < kEndRecordSize || !file.seek(fileSize - tailSize)) {
        return std::nullopt;
    }
    const QByteArray tail = file.read(tailSize);
    if (tail.size() != tailSize) {
        return std::nullopt;
    }
    // The end record comes last, followed only by a comment of at most 64 KiB.
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
    const quint16 entries = littleEndian16(tail, end + 10);
    const qint64 directorySize = littleEndian32(tail, end + 12);
    const qint64 directoryOffset = littleEndian32(tail, end + 16);
    // Split archives and Zip64 (whose markers break these checks) are not workbooks we read.
    if (disk != 0 || directoryDisk != 0 || entriesOnDisk != entries || directorySize > kMaxDirectorySize ||
        directoryOffset > endInFile || directorySize > endInFile - directoryOffset) {
        return std::nullopt;
    }
    if (!file.seek(directoryOffset)) {
        return std::nullopt;
    }
    const QByteArray directory = file.read(directorySize);
    if (directory.size() != directorySize) {
        return std::nullopt;
    }
    bool contentTypes = false;
    bool workbook = false;
    qint64 at = 0;
    for (int entry = 0; entry < entries; ++entry) {
        if (at + kCentralHeaderSize > directory.size() || littleEndian32(directory, at) != kCentralHeaderSignature) {
            return std::nullopt;
        }
        const qint64 nameLength = littleEndian16(directory, at + 28);
        const qint64 next = at + kCentralHeaderSize + nameLength + littleEndian16(directory, at + 30) +
                            littleEndian16(directory, at + 32);
        if (next > directory.size()) {
            return std::nullopt;
        }
        // Part names of a package compare without regard to case.
        const QByteArrayView name = QByteArrayView(directory).sliced(at + kCentralHeaderSize, nameLength);
        contentTypes = contentTypes || name.compare("[Content_Types].xml", Qt::CaseInsensitive) == 0;
        workbook = workbook || name.compare("xl/workbook.xml", Qt::CaseInsensitive) == 0;
        at = next;
    }
    return contentTypes && workbook;
}

} // namespace

QString officeLockFilePath(const QString &workbookPath) {
    const QFileInfo info(workbookPath);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + QLatin1Char('#');
}

std::optional<OfficeLockOwner> readOfficeLock(const QString &lockPath) {
    QFile file(lockPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    // A lock file holds a few hundred bytes; anything much larger is not one.
    const QByteArray content = file.read(64 * 1024);
    std::array<QByteArray, 5> fields;
    std::size_t field = 0;
    bool escaped = false;
    for (const char c : content) {
        if (escaped) {
            if (c != '\\' && c != ',' && c != ';') {
                return std::nullopt;
            }
            fields.at(field).append(c);
            escaped = false;
        } else if (c == '\\') {
            escaped = true;
        } else if (c == ',') {
            if (++field == fields.size()) {
                return std::nullopt;
            }
        } else if (c == ';') {
            if (field != fields.size() - 1) {
                return std::nullopt;
            }
            return OfficeLockOwner{QString::fromUtf8(fields[0]), QString::fromUtf8(fields[1]),
                                   QString::fromUtf8(fields[2]), QString::fromUtf8(fields[3]),
                                   QString::fromUtf8(fields[4])};
        } else {
            fields.at(field).append(c);
        }
    }
    return std::nullopt;
}

bool isLockOfProfile(const OfficeLockOwner &owner, const QString &profileUrl) {
    if (owner.profileUrl.isEmpty()) {
        return false;
    }
    // The office names its profile's user folder; compare decoded, as either side may be encoded.
    const QString decodedProfile = QUrl::fromPercentEncoding(profileUrl.toUtf8());
    const QString decoded = QUrl::fromPercentEncoding(owner.profileUrl.toUtf8());
    return decoded == decodedProfile || decoded.startsWith(decodedProfile + QStringLiteral("/"));
}

bool isLockFileOfProfile(const QString &lockPath, const QString &profileUrl) {
    const std::optional<OfficeLockOwner> owner = readOfficeLock(lockPath);
    return owner && isLockOfProfile(*owner, profileUrl);
}

bool isLockOfThisLogin(const OfficeLockOwner &owner) {
    const passwd *account = ::getpwuid(::getuid());
    if (account == nullptr || owner.systemUser != QString::fromLocal8Bit(account->pw_name)) {
        return false;
    }
    const QString here = QSysInfo::machineHostName();
    const QString there = owner.host;
    if (here.isEmpty() || there.isEmpty()) {
        return false;
    }
    return there.compare(here, Qt::CaseInsensitive) == 0 ||
           there.startsWith(here + QLatin1Char('.'), Qt::CaseInsensitive) ||
           here.startsWith(there + QLatin1Char('.'), Qt::CaseInsensitive);
}

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

bool canReplaceFile(const QString &path) {
    const QFileInfo info(path);
    // access() asks the kernel, which also knows about read-only mounts; permission bits alone
    // say nothing for root.
    return ::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK) == 0 &&
           ::access(QFile::encodeName(info.absolutePath()).constData(), W_OK | X_OK) == 0;
}

} // namespace lotdraw
