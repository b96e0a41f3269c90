#pragma once

#include "event/event_model.h"

#include <QByteArray>
#include <optional>

namespace lotdraw {

// The recovery file's text: the event as indented JSON in UTF-8, so that a person can read the
// names in it, under the name of its format and a version:
//
//     {
//         "drawNumber": 5,
//         "format": "lotdraw event",
//         "keepChoice": "remove",
//         "pool": ["张伟", ...],
//         "record": {
//             "date": "2026-03-05",
//             "draws": [{"choice": "keep", "names": [...], "number": 1, "resultList": 1,
//                        "stoppedAt": "2026-03-05T14:03:27.120"}, ... every draw since the import],
//             "poolCountAtImport": 99,
//             "workbook": "导入名单.xls"
//         },
//         "results": [{"heading": "第5次抽中", "names": [...]}, ... the four lists in turn],
//         "version": 2
//     }
[[nodiscard]] QByteArray eventFileText(const EventSnapshot &event);

// The event in such a text; nothing when the text is cut off or damaged, of another version, not
// ours, or holds an event that no run of the program can have produced (a record whose draws do not
// match the draw number or what the result lists hold, say).
[[nodiscard]] std::optional<EventSnapshot> eventFromFileText(const QByteArray &text);

} // namespace lotdraw
