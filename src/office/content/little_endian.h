#pragma once

#include <QByteArray>

namespace lotdraw {

// Fields of the binary containers workbooks come in, which store numbers little-endian. Callers
// check that the bytes are there.

inline quint16 littleEndian16(const QByteArray &bytes, qint64 at) {
    return static_cast<quint16>(static_cast<quint8>(bytes.at(at)) | static_cast<quint8>(bytes.at(at + 1)) << 8);
}

inline quint32 littleEndian32(const QByteArray &bytes, qint64 at) {
    return static_cast<quint32>(littleEndian16(bytes, at)) | static_cast<quint32>(littleEndian16(bytes, at + 2)) << 16;
}

} // namespace lotdraw
