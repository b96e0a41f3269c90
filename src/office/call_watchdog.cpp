#include "office/call_watchdog.h"

namespace lotdraw {

CallWatchdog::CallWatchdog(std::function<void()> onExpiry)
    : m_onExpiry(std::move(onExpiry))
    , m_thread([this] { run(); }) {}

CallWatchdog::~CallWatchdog() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

CallWatchdog::Scope::Scope(CallWatchdog &watchdog, std::chrono::milliseconds timeout)
    : m_watchdog(watchdog) {
    m_watchdog.arm(timeout);
}

CallWatchdog::Scope::~Scope() {
    m_watchdog.disarm();
}

bool CallWatchdog::expired() const {
    const std::lock_guard lock(m_mutex);
    return m_expired;
}

void CallWatchdog::arm(std::chrono::milliseconds timeout) {
    {
        const std::lock_guard lock(m_mutex);
        m_deadline = std::chrono::steady_clock::now() + timeout;
        m_armed = true;
    }
    m_changed.notify_all();
}

void CallWatchdog::disarm() {
    const std::lock_guard lock(m_mutex);
    m_armed = false;
}

void CallWatchdog::run() {
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (!m_armed || m_expired) {
            m_changed.wait(lock);
            continue;
        }
        const auto deadline = m_deadline;
        if (m_changed.wait_until(lock, deadline) == std::cv_status::timeout && m_armed && !m_stopping &&
            m_deadline == deadline) {
            m_expired = true;
            lock.unlock();
            m_onExpiry();
            lock.lock();
        }
    }
}

} // namespace lotdraw
