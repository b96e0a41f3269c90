#pragma once

#include "state/checked_int16.h"

#include <QString>
#include <array>

namespace lotdraw {

// What the drawing engine carries from one event to the next: the selection of the latest pass, the
// name it shows, the draw's size and the flag that swallows a tick. What the draws have produced,
// the pool and the result lists, is the event's (event/EventModel). The picks are used from
// position 1; position 0 exists and stays 0.
struct DrawState final {
    static constexpr int kCapacity = 100; // the most names a pool can hold, and the highest pick

    std::array<Int16, kCapacity + 1> picks{}; // pool positions of the latest selection, 1..drawSize
    QString shownName;                        // the name on the rolling display
    Int16 drawSize = 0;                       // names per draw, read at the latest start
    Int16 skipTick = 0;                       // 1: the next timer tick only clears this flag
};

} // namespace lotdraw
