#pragma once

#include <QStringList>

namespace lotdraw::testing {

// prefix1, prefix2, ... prefixN: distinct names for pools and result lists of any length.
inline QStringList numbered(const QString &prefix, int count) {
    QStringList result;
    for (int i = 1; i <= count; ++i) {
        result.append(prefix + QString::number(i));
    }
    return result;
}

} // namespace lotdraw::testing
