#pragma once

#include <com/sun/star/task/XInteractionHandler.hpp>
#include <cppuhelper/implbase1.hxx>
#include <mutex>

namespace lotdraw {

// Why the office asked a question while loading or storing a document.
enum class OfficeQuestion {
    None,
    Missing,      // the file does not exist
    Locked,       // someone else (or another office) holds the document's lock
    AccessDenied, // no permission to read or write it
    Other,        // anything else, e.g. a format error of a damaged file
};

// The interaction handler passed with every load and store: it refuses each question at once (a
// hidden office must never wait for an answer nobody can give) and remembers the first reason. The
// one question it approves is whether to work on without a lock file that cannot be made.
class AbortingInteractionHandler final : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    void SAL_CALL handle(const css::uno::Reference<css::task::XInteractionRequest> &request) override;

    [[nodiscard]] OfficeQuestion question() const;

private:
    mutable std::mutex m_mutex;
    OfficeQuestion m_question = OfficeQuestion::None;
};

} // namespace lotdraw
