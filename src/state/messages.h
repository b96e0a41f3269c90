#pragma once

#include <QString>

namespace lotdraw {

// Modal messages. Each call returns once the operator has answered.
class Messages {
public:
    virtual ~Messages() = default;
    // A message with a single OK button.
    virtual void show(const QString &text) = 0;
    // A question with "是" and "否"; true for "是". Neither Esc nor closing the box answers it.
    [[nodiscard]] virtual bool ask(const QString &question) = 0;

protected:
    Messages() = default;
};

} // namespace lotdraw
