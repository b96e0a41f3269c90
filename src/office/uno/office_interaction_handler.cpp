#include "office/uno/office_interaction_handler.h"

#include <com/sun/star/document/BrokenPackageRequest.hpp>
#include <com/sun/star/document/LockFileCorruptRequest.hpp>
#include <com/sun/star/document/LockFileIgnoreRequest.hpp>
#include <com/sun/star/document/LockedDocumentRequest.hpp>
#include <com/sun/star/document/LockedOnSavingRequest.hpp>
#include <com/sun/star/document/OwnLockOnDocumentRequest.hpp>
#include <com/sun/star/task/ErrorCodeRequest.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>
#include <com/sun/star/task/XInteractionApprove.hpp>
#include <com/sun/star/ucb/IOErrorCode.hpp>
#include <com/sun/star/ucb/InteractiveIOException.hpp>

namespace lotdraw {

namespace {

// The office's error codes carry this bit when they only warn: the document did load.
constexpr sal_uInt32 kWarningBit = 0x80000000;

OfficeQuestion classifyIoError(css::ucb::IOErrorCode code) {
    switch (code) {
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

// Extraction also matches the exceptions derived from the one asked for: every kind of password
// request, InteractiveAugmentedIOException as an InteractiveIOException.
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
    if (css::task::PasswordRequest password; request >>= password) {
        return OfficeQuestion::Password;
    }
    if (css::ucb::InteractiveIOException io; request >>= io) {
        return classifyIoError(io.Code);
    }
    return OfficeQuestion::Other;
}

// A question while loading whose approval goes on with the load, as the answer of Calc's own
// dialog does: a warning after the load (say, that not all of the data could be loaded), or the
// offer to repair a damaged package.
bool goesOnWhenApproved(const css::uno::Any &request) {
    if (css::task::ErrorCodeRequest error; request >>= error) {
        return (static_cast<sal_uInt32>(error.ErrCode) & kWarningBit) != 0;
    }
    css::document::BrokenPackageRequest broken;
    return request >>= broken;
}

template<typename Continuation>
bool select(const css::uno::Sequence<css::uno::Reference<css::task::XInteractionContinuation>> &continuations) {
    for (const auto &continuation : continuations) {
        const css::uno::Reference<Continuation> chosen(continuation, css::uno::UNO_QUERY);
        if (chosen.is()) {
            chosen->select();
            return true;
        }
    }
    return false;
}

} // namespace

void OfficeInteractionHandler::handle(const css::uno::Reference<css::task::XInteractionRequest> &request) {
    if (!request.is()) {
        return;
    }
    const css::uno::Any question = request->getRequest();
    const auto continuations = request->getContinuations();
    // The office cannot make its lock file beside the document (a writable file in a read-only
    // folder) and asks whether to go on without one. Reading is safe without it, and a save never
    // writes the file in place, so go on; refusing would make such a workbook unreadable.
    if (css::document::LockFileIgnoreRequest ignore;
        (question >>= ignore) && select<css::task::XInteractionApprove>(continuations)) {
        return;
    }
    if (m_stage == Stage::Load && goesOnWhenApproved(question) &&
        select<css::task::XInteractionApprove>(continuations)) {
        const std::lock_guard lock(m_mutex);
        m_wentOn = true;
        return;
    }
    {
        const std::lock_guard lock(m_mutex);
        if (m_question == OfficeQuestion::None) {
            m_question = classify(question);
        }
    }
    select<css::task::XInteractionAbort>(continuations);
}

OfficeQuestion OfficeInteractionHandler::question() const {
    const std::lock_guard lock(m_mutex);
    return m_question;
}

bool OfficeInteractionHandler::wentOnAfterQuestion() const {
    const std::lock_guard lock(m_mutex);
    return m_wentOn;
}

} // namespace lotdraw
