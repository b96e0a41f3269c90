#include "event/event_model.h"

#include <stdexcept>

namespace lotdraw {
namespace {

constexpr int kLists = EventSnapshot::kResultLists;

std::size_t slotOf(int list) {
    if (list < 1 || list > kLists) {
        throw std::out_of_range("no result list at this index");
    }
    return static_cast<std::size_t>(list - 1);
}

} // namespace

const QStringList &EventModel::results(int list) const {
    return m_event.results[slotOf(list)];
}

QString EventModel::heading(int list) const {
    return headingAfter(m_event.drawNumber, list);
}

QString EventModel::headingAfter(int drawNumber, int list) {
    static_cast<void>(slotOf(list));
    return headingFor(drawNumber < list ? list : drawNumber - (drawNumber - list) % kLists);
}

QString EventModel::headingFor(int drawNumber) {
    return QStringLiteral("第%1次抽中").arg(drawNumber);
}

int EventModel::resultListOf(int drawNumber) {
    return drawNumber <= 0 ? 0 : (drawNumber - 1) % kLists + 1;
}

void EventModel::startSeries() {
    m_event.results = {};
    m_event.drawNumber = 0;
    m_event.choice = KeepChoice::None;
    m_event.record = {m_sources.workbookFileName, static_cast<int>(m_event.pool.size()), m_sources.clock().date(), {}};
    emit changed(Change::Series);
    announceEveryList();
    emit keepChoiceChanged(m_event.choice);
}

void EventModel::setPool(QStringList names) {
    m_event.pool = std::move(names);
    m_event.record.poolCountAtImport = static_cast<int>(m_event.pool.size());
    emit changed(Change::Pool);
    emit poolChanged();
}

void EventModel::recordDraw(QStringList drawn, std::optional<QStringList> poolAfter) {
    ++m_event.drawNumber;
    const int list = latestResultList();
    const QDateTime stoppedAt = m_sources.clock();
    EventRecord &record = m_event.record;
    if (!record.date.isValid()) {
        record.date = stoppedAt.date(); // a pool set without a series begun: dated by its first draw
    }
    record.draws.append({m_event.drawNumber, stoppedAt, list, !poolAfter.has_value(), drawn});
    m_event.results[slotOf(list)] = std::move(drawn);
    if (poolAfter) {
        m_event.pool = std::move(*poolAfter);
    }
    emit changed(Change::Draw);
    emit resultListChanged(list);
    emit latestResultListChanged(list);
    if (poolAfter) {
        emit poolChanged();
    }
}

void EventModel::setKeepChoice(KeepChoice choice) {
    if (choice == m_event.choice) {
        return;
    }
    m_event.choice = choice;
    emit changed(Change::Choice);
    emit keepChoiceChanged(choice);
}

void EventModel::restore(EventSnapshot event) {
    m_event = std::move(event);
    emit changed(Change::Restore);
    emit poolChanged();
    announceEveryList();
    emit keepChoiceChanged(m_event.choice);
}

void EventModel::announceEveryList() {
    for (int list = 1; list <= kLists; ++list) {
        emit resultListChanged(list);
    }
    emit latestResultListChanged(latestResultList());
}

} // namespace lotdraw
