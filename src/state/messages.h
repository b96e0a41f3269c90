#pragma once

#include <QString>

namespace lotdraw {

// A modal message with a single OK button. Returns once the operator has closed it.
class Messages {
public:
    virtual ~Messages() = default;
    virtual void show(const QString &text) = 0;

protected:
    Messages() = default;
};

} // namespace lotdraw
