#pragma once

#include "state/messages.h"

class QWidget;

namespace lotdraw {

// The program's program name, the title of every message box.
inline constexpr char16_t kProgramName[] = u"现场抽签";

// Messages in a modal box with a single OK button and no icon, over the given window.
class MessageBoxMessages final : public Messages {
public:
    explicit MessageBoxMessages(QWidget *parent = nullptr)
        : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void show(const QString &text) override;

private:
    QWidget *m_parent;
};

} // namespace lotdraw
