#pragma once

#include "event/event_record.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace lotdraw {

// The choice under "抽取后是否保留": drawn names stay in the pool ("是") or leave it ("否"). An import
// clears it, so that every series starts with a choice of its own.
enum class KeepChoice { None, Keep, Remove };

// What an event has produced, as plain values.
struct EventSnapshot final {
    static constexpr int kResultLists = 4;

    QStringList pool{};                              // the names that can still be drawn, in pool order
    std::array<QStringList, kResultLists> results{}; // result list 1 at [0]
    int drawNumber = 0;                              // draws since the latest import
    KeepChoice choice = KeepChoice::Keep;            // "是", as the window opens
    EventRecord record{};                            // the latest import and every draw since

    friend bool operator==(const EventSnapshot &, const EventSnapshot &) = default;
};

// What the event learns from outside the operator's actions: the time of day, which dates a series
// and times every stop, and the file name of the workbook that the imports read.
struct EventSources {
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    QString workbookFileName;
};

// The event as the hall has seen it: the pool, the four result lists under their headings, which of
// them took the latest draw, how many draws the series has had, and the keep choice; and its record,
// every draw since the latest import with the time of its stop. The form, the stage, the enlarged
// view, the export, the printed record and the recovery file all read it here; none of them keeps a
// copy of its own. Every change is announced, first to whoever keeps the event safe, then to the views.
class EventModel final : public QObject {
    Q_OBJECT

public:
    // What a change was, for whoever keeps the event safe.
    enum class Change { Series, Pool, Draw, Choice, Restore };

    explicit EventModel(EventSources sources = {}, QObject *parent = nullptr)
        : QObject(parent)
        , m_sources(std::move(sources)) {}
    Q_DISABLE_COPY_MOVE(EventModel)

    [[nodiscard]] const EventSnapshot &snapshot() const { return m_event; }
    [[nodiscard]] const QStringList &pool() const { return m_event.pool; }
    // Of result list 1..4: its names in the order drawn, and its heading.
    [[nodiscard]] const QStringList &results(int list) const;
    [[nodiscard]] QString heading(int list) const;
    [[nodiscard]] int drawNumber() const { return m_event.drawNumber; }
    // The result list that took the latest draw, 1..4; 0 before the first draw of a series.
    [[nodiscard]] int latestResultList() const { return resultListOf(m_event.drawNumber); }
    [[nodiscard]] KeepChoice keepChoice() const { return m_event.choice; }
    // The latest import (the workbook's file name, the pool's count, the day) and every draw since.
    [[nodiscard]] const EventRecord &record() const { return m_event.record; }

    // "第<n>次抽中".
    [[nodiscard]] static QString headingFor(int drawNumber);
    // The heading of result list 1..4 after `drawNumber` draws of a series: the number of the latest
    // draw it took, or its own number while the series has not reached it.
    [[nodiscard]] static QString headingAfter(int drawNumber, int list);
    // Draws fill the lists in turn, 1, 2, 3, 4, 1, ...: the list of the draw with this number, 0 for none.
    [[nodiscard]] static int resultListOf(int drawNumber);

    // A new series: the four lists empty under "第1次抽中" to "第4次抽中", no draw yet, no keep
    // choice, and a record that starts today with the pool as it stands. The pool stays.
    void startSeries();
    // The names an import read: the pool, and the count the record starts from.
    void setPool(QStringList names);
    // A draw: its names go into the next result list under the next number and, when they leave the
    // pool, the pool becomes `poolAfter`; the record keeps it with the time of the stop. One change,
    // so that a draw never parts from the pool it left behind.
    void recordDraw(QStringList drawn, std::optional<QStringList> poolAfter);
    // Nothing changes, and nothing is announced, when `choice` is already the choice.
    void setKeepChoice(KeepChoice choice);
    // The event as a recovery file brought it back.
    void restore(EventSnapshot event);

signals:
    // Comes before the signals below: whoever keeps the event safe has done it before any view shows
    // the change.
    void changed(lotdraw::EventModel::Change change);
    void poolChanged();
    void resultListChanged(int list); // its names and its heading
    void latestResultListChanged(int list);
    void keepChoiceChanged(lotdraw::KeepChoice choice);

private:
    void announceEveryList();

    EventSources m_sources;
    EventSnapshot m_event;
};

} // namespace lotdraw
