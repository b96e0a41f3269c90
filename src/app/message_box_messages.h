#pragma once

#include "state/messages.h"

class QWidget;

namespace lotdraw {

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
