#pragma once

#include "state/messages.h"

class QWidget;

namespace lotdraw {

// Messages in a modal box with a single plain "确定" and no icon, in the face of the window's lists,
// centred on the given window.
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
