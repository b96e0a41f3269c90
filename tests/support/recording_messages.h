#pragma once

#include "state/messages.h"

#include <QStringList>

namespace lotdraw::testing {

// Answers every message at once and remembers its text, so tests see what the operator would.
class RecordingMessages final : public Messages {
public:
    void show(const QString &text) override { m_shown.append(text); }

    [[nodiscard]] const QStringList &shown() const { return m_shown; }
    void clear() { m_shown.clear(); }

private:
    QStringList m_shown;
};

} // namespace lotdraw::testing
