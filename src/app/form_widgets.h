#pragma once

#include "app/form_layout.h"
#include "app/form_scale.h"

#include <QtGlobal>
#include <array>

class QButtonGroup;
class QLabel;
class QListWidget;
class QPushButton;
class QWidget;

namespace lotdraw {

// The window's controls, made from the layout table: each in its container with its caption, place
// and font, in the table's stacking order and tab order. Scales them all alike for full screen.
class FormWidgets final {
public:
    // The controls become children of `window`.
    explicit FormWidgets(QWidget &window);
    Q_DISABLE_COPY_MOVE(FormWidgets)

    [[nodiscard]] QWidget *widget(Control control) const { return m_widgets.at(static_cast<std::size_t>(control)); }
    // The control as the kind of widget it is; asking for another kind is a fault of the caller.
    template<typename Widget>
    [[nodiscard]] Widget *get(Control control) const {
        auto *widget = qobject_cast<Widget *>(this->widget(control));
        if (widget == nullptr) {
            qFatal("control %s is not of the kind asked for", placeOf(control).name);
        }
        return widget;
    }
    [[nodiscard]] QPushButton *button(Control control) const;
    [[nodiscard]] QLabel *label(Control control) const;
    [[nodiscard]] QListWidget *list(Control control) const;
    // "是" and "否": choosing one clears the other.
    [[nodiscard]] QButtonGroup &keepChoice() const { return *m_keepChoice; }
    // The four frames, which the enlarged view covers.
    [[nodiscard]] std::array<QWidget *, 4> frames() const;

    [[nodiscard]] const FormScale &scale() const { return m_scale; }
    // Every place, font and skin length multiplied by the scale's factor, the form at its origin.
    void applyScale(const FormScale &scale);
    // Three columns of the enlarged list fill its width exactly, so that no scroll bar shows while
    // every line fits.
    void fitEnlargedColumns();

private:
    [[nodiscard]] QWidget *make(const ControlPlace &place, QWidget *parent);
    void dressControls();
    void applyStackingOrder();
    void applyTabOrder();
    [[nodiscard]] QString scaledSkin(const FormScale &scale) const;

    QWidget &m_window;
    std::array<QWidget *, kControlCount> m_widgets{};
    QButtonGroup *m_keepChoice = nullptr;
    FormScale m_scale;
};

} // namespace lotdraw
