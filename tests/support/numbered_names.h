#pragma once

#include "state/draw_state.h"
#include "state/list_lines.h"

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

// The pool of a draw state: these names at positions 1.., and their count.
inline void fillPool(DrawState &state, const QStringList &names) {
    for (qsizetype i = 0; i < names.size(); ++i) {
        state.poolNames.at(static_cast<std::size_t>(i) + 1) = names.at(i);
    }
    state.poolCount = toInt16(names.size());
}

inline void append(ListLines &list, const QStringList &lines) {
    for (const QString &line : lines) {
        list.append(line);
    }
}

} // namespace lotdraw::testing
