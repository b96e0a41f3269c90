#include "spreadsheet/cancellation_token.h"

#include "spreadsheet/spreadsheet_error.h"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace lotdraw {

struct CancellationState {
    // Held while actions run, so that an unsubscribe waits for its action to finish.
    std::mutex mutex;
    std::atomic<bool> cancelled = false;
    std::vector<std::pair<int, std::function<void()>>> actions;
    int nextId = 0;
};

CancellationToken::CancellationToken()
    : m_state(std::make_shared<CancellationState>()) {}

void CancellationToken::cancel() noexcept {
    const std::lock_guard lock(m_state->mutex);
    if (m_state->cancelled.exchange(true)) {
        return;
    }
    for (const auto &[id, action] : m_state->actions) {
        action();
    }
}

bool CancellationToken::isCancelled() const noexcept {
    return m_state->cancelled;
}

void CancellationToken::throwIfCancelled() const {
    if (isCancelled()) {
        throw SpreadsheetCancelled();
    }
}

CancellationToken::Subscription::Subscription(const CancellationToken &token, std::function<void()> action)
    : m_state(token.m_state) {
    const std::lock_guard lock(m_state->mutex);
    m_id = m_state->nextId++;
    if (m_state->cancelled) {
        action();
    }
    m_state->actions.emplace_back(m_id, std::move(action));
}

CancellationToken::Subscription::~Subscription() {
    const std::lock_guard lock(m_state->mutex);
    std::erase_if(m_state->actions, [this](const auto &entry) { return entry.first == m_id; });
}

} // namespace lotdraw
