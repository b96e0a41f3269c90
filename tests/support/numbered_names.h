#pragma once

#include "event/event_model.h"

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

// The event with these names in result list 1..4, and the rest as it was.
inline void fillResults(EventModel &event, int list, const QStringList &names) {
    EventSnapshot changed = event.snapshot();
    changed.results.at(static_cast<std::size_t>(list - 1)) = names;
    event.restore(changed);
}

// The event with these names in the pool (list 0) or in result list 1..4.
inline void fillList(EventModel &event, int list, const QStringList &names) {
    if (list == 0) {
        event.setPool(names);
    } else {
        fillResults(event, list, names);
    }
}

} // namespace lotdraw::testing
