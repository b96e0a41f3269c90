#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace lotdraw {

// One stop of the rolling display, as the record of the event keeps it.
struct RecordedDraw {
    int number = 0;      // the draw number of its heading, "第N次抽中"
    QDateTime stoppedAt; // when the operator stopped it
    int resultList = 1;  // 1..4, the result list it went into
    bool kept = false;   // whether the drawn names stayed in the pool ("是") or left it ("否")
    QStringList names;   // in the result list's order

    friend bool operator==(const RecordedDraw &, const RecordedDraw &) = default;
};

// The record of an event: the latest import and every draw since, which the event keeps beside its
// four result lists (where the fifth draw takes the first draw's place) and the printed record
// shows.
struct EventRecord {
    QString workbookFileName;  // e.g. "导入名单.xls"
    int poolCountAtImport = 0; // names in the pool right after the latest import
    QDate date;                // the day of the event: that of the latest import
    QList<RecordedDraw> draws; // every draw since the latest import, oldest first

    friend bool operator==(const EventRecord &, const EventRecord &) = default;
};

} // namespace lotdraw
