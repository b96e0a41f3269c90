#pragma once

#include "state/messages.h"

#include <QStringList>

namespace lotdraw::testing {

// Answers every message at once and remembers its text, so tests see what the operator would.
// Questions are answered as the test says, "否" unless told.
class RecordingMessages final : public Messages {
public:
    void show(const QString &text) override { m_shown.append(text); }
    [[nodiscard]] bool ask(const QString &question) override {
        m_shown.append(question);
        return m_answer;
    }

    [[nodiscard]] const QStringList &shown() const { return m_shown; }
    void clear() { m_shown.clear(); }
    void answerYes(bool yes) { m_answer = yes; }

private:
    QStringList m_shown;
    bool m_answer = false;
};

} // namespace lotdraw::testing
