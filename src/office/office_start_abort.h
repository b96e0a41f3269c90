#pragma once

#include <functional>
#include <mutex>

namespace lotdraw {

// Lets another thread stop an office while it starts: the instance being started puts its abort
// here for the length of its start.
class OfficeStartAbort final {
public:
    // Runs the abort of the start in progress, if there is one.
    void abort() noexcept;

    // Offers `target` for the life of the scope; a null `slot` offers nothing.
    class Scope final {
    public:
        Scope(OfficeStartAbort *slot, std::function<void()> target);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
        Scope(Scope &&) = delete;
        Scope &operator=(Scope &&) = delete;

    private:
        OfficeStartAbort *m_slot;
    };

private:
    std::mutex m_mutex;
    std::function<void()> m_target;
};

} // namespace lotdraw
