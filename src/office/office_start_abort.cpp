#include "office/office_start_abort.h"

namespace lotdraw {

void OfficeStartAbort::abort() noexcept {
    const std::lock_guard lock(m_mutex);
    if (m_target) {
        m_target();
    }
}

OfficeStartAbort::Scope::Scope(OfficeStartAbort *slot, std::function<void()> target)
    : m_slot(slot) {
    if (m_slot != nullptr) {
        const std::lock_guard lock(m_slot->m_mutex);
        m_slot->m_target = std::move(target);
    }
}

OfficeStartAbort::Scope::~Scope() {
    if (m_slot != nullptr) {
        // Waits for an abort under way: the instance it acts on may go next.
        const std::lock_guard lock(m_slot->m_mutex);
        m_slot->m_target = nullptr;
    }
}

} // namespace lotdraw
