#include "app/message_box_messages.h"

#include "app/form_layout.h"
#include "app/form_scale.h"
#include "build_info.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMessageBox>
#include <algorithm>
#include <string_view>

namespace lotdraw {
namespace {

// A message box that stands in the middle of the window it belongs to. The box takes its final size
// only as it shows, after a dialog has placed itself by its earlier size; so it is placed here, once
// the size is known and before the window system maps it.
class CentredMessageBox final : public QMessageBox {
public:
    CentredMessageBox(const QString &text, QWidget *parent)
        : QMessageBox(NoIcon, QString::fromUtf16(build_info::kProgramName), text, Ok, parent,
                      Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {}

protected:
    void showEvent(QShowEvent *event) override {
        QMessageBox::showEvent(event);
        const QWidget *window = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
        if (window == nullptr) {
            return;
        }
        // The box's inside on the window's inside: its frame is not known before it is mapped, and
        // a window manager puts the frame around the place asked for.
        move(window->geometry().center() - rect().center());
    }
};

// The face and size of the window's lists, grown as the window's form grows in full screen: a
// message is read from as far away as the lists are, and never smaller than they are at first.
QFont messageFont(const QWidget *window) {
    const qreal scale = window != nullptr ? std::max(1.0, FormScale::fitting(window->size()).factor()) : 1.0;
    const auto layout = formLayout();
    const auto list = std::find_if(layout.begin(), layout.end(), [](const ControlPlace &place) {
        return std::string_view(place.name) == "poolList";
    });
    return list->font(scale);
}

} // namespace

void MessageBoxMessages::show(const QString &text) {
    CentredMessageBox box(text, m_parent);
    // Every text the operator sees is Chinese, the button included, whatever translations are
    // installed; and the button is a plain word, without the icon some desktops give it, with room
    // around it as the skin's buttons have in the window.
    QAbstractButton *ok = box.button(QMessageBox::Ok);
    ok->setText(QStringLiteral("确定"));
    ok->setIcon(QIcon());
    box.setStyleSheet(QStringLiteral("QPushButton { padding: 0.25em 1.5em; }"));
    // On each part: under a style sheet Qt's own parts of the box (its text, its row of buttons)
    // would keep the small default font instead of taking the box's.
    const QFont font = messageFont(m_parent != nullptr ? m_parent->window() : nullptr);
    box.setFont(font);
    for (QWidget *part : box.findChildren<QWidget *>()) {
        part->setFont(font);
    }
    box.exec();
}

} // namespace lotdraw
