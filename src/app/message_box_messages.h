#pragma once

#include "state/messages.h"

class QMessageBox;
class QWidget;

namespace lotdraw {

// Messages in a modal box with no icon, in the face of the window's lists, centred on the given
// window: a single plain "确定", or "是" and "否" for a question.
class MessageBoxMessages final : public Messages {
public:
    explicit MessageBoxMessages(QWidget *parent = nullptr)
        : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }
    void show(const QString &text) override;
    [[nodiscard]] bool ask(const QString &question) override;

private:
    void exec(QMessageBox &box) const;

    QWidget *m_parent;
};

} // namespace lotdraw
