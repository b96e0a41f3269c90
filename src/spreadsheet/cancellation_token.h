#pragma once

#include <functional>
#include <memory>

namespace lotdraw {

// What the copies of one token share.
struct CancellationState;

// The operator's way to stop one command: made when the command starts and handed to everything
// that works for it. The window cancels it (on "取消"); whatever waits on another process for the
// command subscribes the action that ends that process, and the work looks at it between its
// steps. Copies share one state, so a token may be kept by value.
class CancellationToken final {
public:
    CancellationToken();

    // Marks the command as stopped and runs every subscribed action once, on the calling thread.
    // Later calls do nothing.
    void cancel() noexcept;
    [[nodiscard]] bool isCancelled() const noexcept;
    // Throws SpreadsheetCancelled once the token is cancelled.
    void throwIfCancelled() const;

    // Offers `action` to cancel() for the life of the object; runs it at once when the token is
    // cancelled already. `action` must not throw. The destructor waits for an action under way,
    // since what it acts on may go next.
    class Subscription final {
    public:
        Subscription(const CancellationToken &token, std::function<void()> action);
        ~Subscription();
        Subscription(const Subscription &) = delete;
        Subscription &operator=(const Subscription &) = delete;
        Subscription(Subscription &&) = delete;
        Subscription &operator=(Subscription &&) = delete;

    private:
        std::shared_ptr<CancellationState> m_state;
        int m_id;
    };

private:
    std::shared_ptr<CancellationState> m_state;
};

} // namespace lotdraw
