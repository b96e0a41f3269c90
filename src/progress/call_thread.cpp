#include "progress/call_thread.h"

#include <stdexcept>
#include <utility>

namespace lotdraw {

CallThread::CallThread()
    : m_thread([this] { serve(); }) {}

CallThread::~CallThread() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CallThread::start(std::function<void()> call, std::function<void()> onDone) {
    {
        const std::lock_guard lock(m_mutex);
        if (!m_done) {
            throw std::logic_error("a call is still under way");
        }
        m_call = std::move(call);
        m_onDone = std::move(onDone);
        m_error = nullptr;
        m_pending = true;
        m_done = false;
    }
    m_changed.notify_all();
}

bool CallThread::isDone() {
    const std::lock_guard lock(m_mutex);
    return m_done;
}

void CallThread::finish() {
    std::exception_ptr error;
    {
        const std::lock_guard lock(m_mutex);
        error = std::exchange(m_error, nullptr);
    }
    if (error) {
        std::rethrow_exception(error);
    }
}

void CallThread::serve() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_pending || (m_stopping && m_done); });
        if (!m_pending) {
            return;
        }
        m_pending = false;
        std::function<void()> call = std::move(m_call);
        const std::function<void()> onDone = std::move(m_onDone);
        lock.unlock();
        std::exception_ptr error;
        try {
            call();
        } catch (...) {
            error = std::current_exception();
        }
        // Nothing of the caller's is held once it may go on.
        call = nullptr;
        lock.lock();
        m_error = error;
        m_done = true;
        lock.unlock();
        if (onDone) {
            onDone();
        }
        lock.lock();
    }
}

} // namespace lotdraw
