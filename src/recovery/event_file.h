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
//         "results": [{"heading": "第5次抽中", "names": [...]}, ... the four lists in turn],
//         "version": 1
//     }
[[nodiscard]] QByteArray eventFileText(const EventSnapshot &event);

// The event in such a text; nothing when the text is cut off or damaged, of a newer version, not
// ours, or holds an event that no run of the program can have produced.
[[nodiscard]] std::optional<EventSnapshot> eventFromFileText(const QByteArray &text);

} // namespace lotdraw
