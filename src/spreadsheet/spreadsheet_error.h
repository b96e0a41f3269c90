#pragma once

#include <QString>
#include <stdexcept>

namespace lotdraw {

// A failure of the spreadsheet application, carrying the message the operator is shown.
class SpreadsheetError : public std::runtime_error {
public:
    explicit SpreadsheetError(const QString &userMessage)
        : std::runtime_error(userMessage.toStdString())
        , m_userMessage(userMessage) {}

    [[nodiscard]] const QString &userMessage() const noexcept { return m_userMessage; }

private:
    QString m_userMessage;
};

// The operator stopped a wait on the spreadsheet application. The work ends there as it would on a
// failure at that step, but there is nothing to tell: the operator asked for it.
class SpreadsheetCancelled final : public SpreadsheetError {
public:
    SpreadsheetCancelled()
        : SpreadsheetError(QStringLiteral("已取消。")) {}
};

} // namespace lotdraw
