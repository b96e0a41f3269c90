#pragma once

#include <com/sun/star/task/XInteractionHandler.hpp>
#include <cppuhelper/implbase1.hxx>
#include <mutex>

namespace lotdraw {

// Why the office asked a question it was refused.
enum class OfficeQuestion {
    None,
    Missing,      // the file does not exist
    Locked,       // someone else (or another office) holds the document's lock
    AccessDenied, // no permission to read or write it
    Password,     // the document is protected by a password
    Other,        // anything else, e.g. a format error of a damaged file
};

// The interaction handler passed with every load and store. A hidden office must never wait for an
// answer nobody can give, so every question is answered at once:
// - whether to work on without a lock file that cannot be made: yes;
// - while loading, a warning that not all of the data could be loaded, or an offer to repair the
//   file: the answer of Calc's own dialog, so that the load goes on and reads what Calc would show.
//   Such a load is remembered, since what it read may be less than the file holds;
// - everything else (a password, a lock, an error, and any question while storing): refused, and
//   the first reason is remembered.
class OfficeInteractionHandler final : public cppu::WeakImplHelper1<css::task::XInteractionHandler> {
public:
    enum class Stage { Load, Store };

    explicit OfficeInteractionHandler(Stage stage)
        : m_stage(stage) {}

    void SAL_CALL handle(const css::uno::Reference<css::task::XInteractionRequest> &request) override;

    // Why the first refused question was asked; None when none was refused.
    [[nodiscard]] OfficeQuestion question() const;
    // Whether the load went on after a warning or a repair.
    [[nodiscard]] bool wentOnAfterQuestion() const;

private:
    const Stage m_stage;
    mutable std::mutex m_mutex;
    OfficeQuestion m_question = OfficeQuestion::None;
    bool m_wentOn = false;
};

} // namespace lotdraw
