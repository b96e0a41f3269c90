#include "app/message_box_messages.h"

#include "app/form_layout.h"
#include "app/form_scale.h"
#include "build_info.h"

#include <QAbstractButton>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>

namespace lotdraw {
namespace {

// A message box that stands in the middle of the window it belongs to. The box takes its final size
// only as it shows, after a dialog has placed itself by its earlier size; so it is placed here, once
// the size is known and before the window system maps it.
class CentredMessageBox final : public QMessageBox {
public:
    CentredMessageBox(const QString &text, StandardButtons buttons, QWidget *parent, bool closeButton)
        : QMessageBox(NoIcon, QString::fromUtf16(build_info::kProgramName), text, buttons, parent,
                      Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
        // The box asks for a close button of its own accord.
        setWindowFlag(Qt::WindowCloseButtonHint, closeButton);
    }

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
    return placeOf(Control::PoolList).font(scale);
}

} // namespace

void MessageBoxMessages::show(const QString &text) {
    CentredMessageBox box(text, QMessageBox::Ok, m_parent, true);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    exec(box);
}

bool MessageBoxMessages::ask(const QString &question) {
    // No close button and no button for Esc: either answer may be the one that cannot be undone, so
    // the operator gives it with the button that says it. Enter gives "是".
    CentredMessageBox box(question, QMessageBox::NoButton, m_parent, false);
    QPushButton *yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("否"), QMessageBox::ActionRole);
    box.setDefaultButton(yes);
    exec(box);
    return box.clickedButton() == yes;
}

void MessageBoxMessages::exec(QMessageBox &box) const {
    // Every text the operator sees is Chinese, the buttons included, whatever translations are
    // installed; and the buttons are plain words, without the icon some desktops give them, with
    // room around them as the skin's buttons have in the window.
    for (QAbstractButton *button : box.buttons()) {
        button->setIcon(QIcon());
    }
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
