#pragma once

#include "state/checked_int16.h"

#include <QString>
#include <array>

namespace lotdraw {

// The values that the window's handlers share between events. Arrays are used from position 1;
// position 0 exists and stays empty (an empty name, pick 0).
struct DrawState final {
    static constexpr int kCapacity = 100; // highest usable position of poolNames and picks

    std::array<QString, kCapacity + 1> poolNames{}; // the pool: names at 1..poolCount
    std::array<Int16, kCapacity + 1> picks{};       // pool positions of the latest selection, 1..drawSize
    QString shownName;                              // the name on the rolling display
    Int16 poolCount = 0;                            // how many names the pool holds
    Int16 drawSize = 0;                             // names per draw, read at the latest start
    Int16 resultSlot = 0;                           // result list of the latest stop, 1..4; 0 before any
    Int16 skipTick = 0;                             // 1: the next timer tick only clears this flag
    Int16 drawNumber = 0;                           // stops since the window opened or the latest reset
};

} // namespace lotdraw
