#include "office/aborting_interaction_handler.h"

#include <com/sun/star/document/LockFileCorruptRequest.hpp>
#include <com/sun/star/document/LockFileIgnoreRequest.hpp>
#include <com/sun/star/document/LockedDocumentRequest.hpp>
#include <com/sun/star/document/LockedOnSavingRequest.hpp>
#include <com/sun/star/document/OwnLockOnDocumentRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionApprove.hpp>
#include <com/sun/star/ucb/IOErrorCode.hpp>
#include <com/sun/star/ucb/InteractiveIOException.hpp>

namespace lotdraw {

namespace {

OfficeQuestion classify(const css::uno::Any &request) {
    if (css::document::LockedDocumentRequest locked; request >>= locked) {
        return OfficeQuestion::Locked;
    }
    if (css::document::OwnLockOnDocumentRequest ownLock; request >>= ownLock) {
        return OfficeQuestion::Locked;
    }
    if (css::document::LockedOnSavingRequest lockedOnSaving; request >>= lockedOnSaving) {
        return OfficeQuestion::Locked;
    }
    if (css::document::LockFileIgnoreRequest ignore; request >>= ignore) {
        return OfficeQuestion::Locked;
    }
    if (css::document::LockFileCorruptRequest corrupt; request >>= corrupt) {
        return OfficeQuestion::Locked;
    }
    // InteractiveAugmentedIOException derives from InteractiveIOException, so this catches both.
    if (css::ucb::InteractiveIOException io; request >>= io) {
        switch (io.Code) {
            case css::ucb::IOErrorCode_NOT_EXISTING:
            case css::ucb::IOErrorCode_NOT_EXISTING_PATH:
            case css::ucb::IOErrorCode_NO_FILE:
                return OfficeQuestion::Missing;
            case css::ucb::IOErrorCode_ACCESS_DENIED:
            case css::ucb::IOErrorCode_WRITE_PROTECTED:
                return OfficeQuestion::AccessDenied;
            case css::ucb::IOErrorCode_LOCKING_VIOLATION:
                return OfficeQuestion::Locked;
            default:
                return OfficeQuestion::Other;
        }
    }
    return OfficeQuestion::Other;
}

} // namespace

void AbortingInteractionHandler::handle(const css::uno::Reference<css::task::XInteractionRequest> &request) {
    if (!request.is()) {
        return;
    }
    const auto continuations = request->getContinuations();
    // The office cannot make its lock file beside the document (a writable file in a read-only
    // folder) and asks whether to go on without one. Reading is safe without it, and a save never
    // writes the file in place, so go on; refusing would make such a workbook unreadable.
    if (css::document::LockFileIgnoreRequest ignore; request->getRequest() >>= ignore) {
        for (const auto &continuation : continuations) {
            const css::uno::Reference<css::task::XInteractionApprove> approve(continuation, css::uno::UNO_QUERY);
            if (approve.is()) {
                approve->select();
                return;
            }
        }
    }
    const OfficeQuestion question = classify(request->getRequest());
    {
        const std::lock_guard lock(m_mutex);
        if (m_question == OfficeQuestion::None) {
            m_question = question;
        }
    }
    for (const auto &continuation : continuations) {
        const css::uno::Reference<css::task::XInteractionAbort> abort(continuation, css::uno::UNO_QUERY);
        if (abort.is()) {
            abort->select();
            return;
        }
    }
}

OfficeQuestion AbortingInteractionHandler::question() const {
    const std::lock_guard lock(m_mutex);
    return m_question;
}

} // namespace lotdraw
