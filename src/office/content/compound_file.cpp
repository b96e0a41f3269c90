#include "office/content/compound_file.h"

#include "office/content/little_endian.h"

namespace lotdraw {

namespace {

constexpr qint64 kHeaderSize = 512;
constexpr qint64 kEntrySize = 128;
constexpr qint64 kMaxNameBytes = 64;
// Sector numbers from here on mark free sectors, chain ends and the like.
constexpr quint32 kLastRegularSector = 0xfffffffa;
constexpr quint32 kEndOfChain = 0xfffffffe;
// The header lists where the first 109 sectors of the allocation table lie; a directory that needs
// a later one belongs to a file far larger than any workbook's directory calls for.
constexpr quint32 kHeaderTableSectors = 109;
// A workbook's directory holds a handful of entries; this is a few hundred.
constexpr int kMaxDirectorySectors = 64;

// Signature, byte order mark and one of the two sector sizes the format has.
bool isCompoundFileHeader(const QByteArray &header) {
    if (header.size() != kHeaderSize || !hasCompoundFileSignature(header) || littleEndian16(header, 0x1c) != 0xfffe) {
        return false;
    }
    const quint16 sectorShift = littleEndian16(header, 0x1e);
    return sectorShift == 9 || sectorShift == 12;
}

// Sectors and chains of a compound file whose header has been checked.
class CompoundFileReader final {
public:
    CompoundFileReader(QFile &file, const QByteArray &header)
        : m_file(file)
        , m_header(header)
        , m_sectorSize(qint64(1) << littleEndian16(header, 0x1e)) {}

    // The part of the file that sector `sector` holds, `size` bytes from `offset` in it.
    [[nodiscard]] std::optional<QByteArray> read(quint32 sector, qint64 offset, qint64 size) const {
        const qint64 at = (qint64(sector) + 1) * m_sectorSize + offset;
        if (sector > kLastRegularSector || at + size > m_file.size() || !m_file.seek(at)) {
            return std::nullopt;
        }
        QByteArray bytes = m_file.read(size);
        return bytes.size() == size ? std::optional<QByteArray>(std::move(bytes)) : std::nullopt;
    }

    // The sector after `sector` in its chain, from the allocation table.
    [[nodiscard]] std::optional<quint32> next(quint32 sector) const {
        const quint32 perTableSector = static_cast<quint32>(m_sectorSize / 4);
        const quint32 tableIndex = sector / perTableSector;
        if (tableIndex >= kHeaderTableSectors) {
            return std::nullopt;
        }
        const quint32 tableSector = littleEndian32(m_header, 0x4c + 4 * qint64(tableIndex));
        const std::optional<QByteArray> field = read(tableSector, 4 * qint64(sector % perTableSector), 4);
        return field ? std::optional<quint32>(littleEndian32(*field, 0)) : std::nullopt;
    }

    [[nodiscard]] quint32 firstDirectorySector() const { return littleEndian32(m_header, 0x30); }
    [[nodiscard]] qint64 sectorSize() const { return m_sectorSize; }

private:
    QFile &m_file;
    QByteArray m_header;
    qint64 m_sectorSize;
};

// The names of the used entries of one directory sector.
QStringList entryNames(const QByteArray &sector) {
    QStringList names;
    for (qint64 at = 0; at + kEntrySize <= sector.size(); at += kEntrySize) {
        const qint64 nameBytes = littleEndian16(sector, at + 0x40);
        const bool used = sector.at(at + 0x42) != 0;
        if (!used || nameBytes < 2 || nameBytes > kMaxNameBytes || nameBytes % 2 != 0) {
            continue;
        }
        QString name;
        for (qint64 unit = 0; unit + 2 < nameBytes; unit += 2) {
            name.append(QChar(littleEndian16(sector, at + unit)));
        }
        names.append(name);
    }
    return names;
}

} // namespace

bool hasCompoundFileSignature(const QByteArray &head) {
    static const QByteArray signature = QByteArray::fromHex("d0cf11e0a1b11ae1");
    return head.startsWith(signature);
}

std::optional<QStringList> compoundFileEntryNames(QFile &file) {
    if (!file.seek(0)) {
        return std::nullopt;
    }
    const QByteArray header = file.read(kHeaderSize);
    if (!isCompoundFileHeader(header)) {
        return std::nullopt;
    }
    const CompoundFileReader reader(file, header);
    QStringList names;
    quint32 sector = reader.firstDirectorySector();
    for (int count = 0; sector != kEndOfChain; ++count) {
        const std::optional<QByteArray> bytes = reader.read(sector, 0, reader.sectorSize());
        const std::optional<quint32> next = reader.next(sector);
        if (count == kMaxDirectorySectors || !bytes || !next) {
            return std::nullopt;
        }
        names += entryNames(*bytes);
        sector = *next;
    }
    return names;
}

} // namespace lotdraw
