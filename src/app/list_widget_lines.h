#pragma once

#include "state/list_lines.h"

class QListWidget;

namespace lotdraw {

// The line semantics of ListLines over a real list box.
class ListWidgetLines final : public ListLines {
public:
    explicit ListWidgetLines(QListWidget &widget)
        : m_widget(&widget) {}

    [[nodiscard]] int count() const override;
    void clear() override;

private:
    [[nodiscard]] QString lineAt(int index) const override;
    void replaceLine(int index, const QString &text) override;
    void appendLine(const QString &text) override;

    QListWidget *m_widget;
};

} // namespace lotdraw
