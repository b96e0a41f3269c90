#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace lotdraw {

// One long-lived thread that runs calls for another thread, one at a time, so that the other thread
// can go on serving its window meanwhile. What a call throws is handed back to the caller.
class CallThread final {
public:
    CallThread();
    // Waits for a call under way, then ends the thread.
    ~CallThread();
    CallThread(const CallThread &) = delete;
    CallThread &operator=(const CallThread &) = delete;
    CallThread(CallThread &&) = delete;
    CallThread &operator=(CallThread &&) = delete;

    // Starts `call` on the thread, then runs `onDone` there once it has returned (to wake the
    // caller). Only one call at a time: the previous one must have been finished.
    void start(std::function<void()> call, std::function<void()> onDone);
    [[nodiscard]] bool isDone();
    // Once the call is done: rethrows what it threw, if anything.
    void finish();

private:
    void serve();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::function<void()> m_call;
    std::function<void()> m_onDone;
    std::exception_ptr m_error;
    bool m_pending = false;
    bool m_done = true;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace lotdraw
