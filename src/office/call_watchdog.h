#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace lotdraw {

// Bounds blocking calls: while armed, a thread of its own waits for the deadline and, when the
// call has not come back by then, runs the expiry action once (which ends the office, so that the
// blocked call returns with an error).
class CallWatchdog final {
public:
    explicit CallWatchdog(std::function<void()> onExpiry);
    ~CallWatchdog();
    CallWatchdog(const CallWatchdog &) = delete;
    CallWatchdog &operator=(const CallWatchdog &) = delete;
    CallWatchdog(CallWatchdog &&) = delete;
    CallWatchdog &operator=(CallWatchdog &&) = delete;

    // Arms the watchdog for the life of the scope.
    class Scope final {
    public:
        Scope(CallWatchdog &watchdog, std::chrono::milliseconds timeout);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
        Scope(Scope &&) = delete;
        Scope &operator=(Scope &&) = delete;

    private:
        CallWatchdog &m_watchdog;
    };

    // True once the expiry action has run.
    [[nodiscard]] bool expired() const;

private:
    void arm(std::chrono::milliseconds timeout);
    void disarm();
    void run();

    std::function<void()> m_onExpiry;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
    bool m_expired = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace lotdraw
