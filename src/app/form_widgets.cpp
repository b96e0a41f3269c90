#include "app/form_widgets.h"

#include "skin/fonts.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>

namespace lotdraw {

FormWidgets::FormWidgets(QWidget &window)
    : m_window(window) {
    // The table asks for the fonts by their Windows names.
    installFontSubstitutes();
    for (const ControlPlace &place : formLayout()) {
        QWidget *parent = place.container ? widget(*place.container) : &window;
        QWidget *made = make(place, parent);
        made->setObjectName(QString::fromLatin1(place.name));
        if (!place.shown) {
            made->hide();
        }
        m_widgets.at(static_cast<std::size_t>(place.control)) = made;
    }
    dressControls();
    applyStackingOrder();
    applyTabOrder();
    applyScale(m_scale);
}

QWidget *FormWidgets::make(const ControlPlace &place, QWidget *parent) {
    const QString caption = QString::fromUtf16(place.caption);
    switch (place.kind) {
        case ControlPlace::Kind::Frame:
            return new QGroupBox(caption, parent);
        case ControlPlace::Kind::Label: {
            auto *label = new QLabel(caption, parent);
            label->setAlignment(place.alignment);
            label->setWordWrap(true);
            return label;
        }
        case ControlPlace::Kind::Button: {
            auto *button = new QPushButton(caption, parent);
            button->setAutoDefault(false);
            return button;
        }
        case ControlPlace::Kind::Option:
            return new QRadioButton(caption, parent);
        case ControlPlace::Kind::NumberBox:
            return new QLineEdit(parent);
        case ControlPlace::Kind::List: {
            auto *list = new QListWidget(parent);
            list->setUniformItemSizes(true);
            return list;
        }
    }
    qFatal("a control of no known kind: %s", place.name);
}

// What sets a control apart from others of its kind.
void FormWidgets::dressControls() {
    QLabel *rolling = label(Control::RollingDisplay);
    rolling->setWordWrap(false);
    // A name is shown as it is written, even one that looks like markup.
    rolling->setTextFormat(Qt::PlainText);

    // The enlarged list flows its lines in three side-by-side columns and scrolls sideways, so an
    // audience sees three times as many names at this size. It takes the focus while open, so that
    // Tab reaches "关闭" at once; keys walk through the names without marking one, which the
    // audience could take for a choice.
    QListWidget *enlarged = list(Control::EnlargedList);
    enlarged->setFlow(QListView::TopToBottom);
    enlarged->setWrapping(true);
    enlarged->setResizeMode(QListView::Adjust);
    enlarged->setSelectionMode(QAbstractItemView::NoSelection);

    QLabel *count = label(Control::PoolCountLabel);
    QPalette red = count->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    count->setPalette(red);
    count->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));

    m_keepChoice = new QButtonGroup(&m_window);
    m_keepChoice->addButton(get<QRadioButton>(Control::KeepOption));
    m_keepChoice->addButton(get<QRadioButton>(Control::RemoveOption));
}

// Earlier controls of the table lie in front of later ones in the same container.
void FormWidgets::applyStackingOrder() {
    for (auto widget = m_widgets.rbegin(); widget != m_widgets.rend(); ++widget) {
        (*widget)->raise();
    }
}

void FormWidgets::applyTabOrder() {
    std::vector<const ControlPlace *> focusable;
    for (const ControlPlace &place : formLayout()) {
        if (place.kind != ControlPlace::Kind::Frame && place.kind != ControlPlace::Kind::Label) {
            focusable.push_back(&place);
        }
    }
    std::ranges::sort(focusable, {}, &ControlPlace::tab);
    for (std::size_t i = 1; i < focusable.size(); ++i) {
        QWidget::setTabOrder(widget(focusable[i - 1]->control), widget(focusable[i]->control));
    }
}

QPushButton *FormWidgets::button(Control control) const {
    return get<QPushButton>(control);
}

QLabel *FormWidgets::label(Control control) const {
    return get<QLabel>(control);
}

QListWidget *FormWidgets::list(Control control) const {
    return get<QListWidget>(control);
}

std::array<QWidget *, 4> FormWidgets::frames() const {
    return {widget(Control::DisplayFrame), widget(Control::SettingsFrame), widget(Control::PoolSourceFrame),
            widget(Control::ResultsFrame)};
}

void FormWidgets::applyScale(const FormScale &scale) {
    m_scale = scale;
    // On the controls, not on the window, so that a message box over the window keeps the normal
    // skin; and before the fonts: a new sheet polishes the controls afresh, fonts included.
    const QString sheet = scaledSkin(scale);
    for (const ControlPlace &place : formLayout()) {
        if (!place.container) {
            widget(place.control)->setStyleSheet(sheet);
        }
    }
    for (const ControlPlace &place : formLayout()) {
        QWidget *control = widget(place.control);
        QRect geometry = scale.pixels(place.twips);
        if (!place.container) {
            geometry.translate(scale.origin());
        }
        control->setGeometry(geometry);
        control->setFont(withRealBoldWhenLarge(place.font(scale.factor()), control->logicalDpiY()));
    }
    fitEnlargedColumns();
}

void FormWidgets::fitEnlargedColumns() {
    // A column a third of the room inside the frame, rounded down: three columns fit exactly, and a
    // fourth would peek in by two pixels at most, too few to show any of its text.
    QListWidget *enlarged = list(Control::EnlargedList);
    const int room = enlarged->width() - 2 * enlarged->frameWidth();
    enlarged->setGridSize(QSize(room / 3, QFontMetrics(enlarged->font()).height() + m_scale.length(4)));
}

QString FormWidgets::scaledSkin(const FormScale &scale) const {
    // The skin's borders, corners and frame-title margins grow with the controls. The normal window
    // leaves the skin's own sheet alone.
    const auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (scale == FormScale() || app == nullptr || app->styleSheet().isEmpty()) {
        return {};
    }
    // The option buttons' round indicator has a size of the style's own (asked without a widget,
    // so no sheet answers); named here in pixels of the normal window, it grows too.
    const QString indicator =
        QStringLiteral("\nQRadioButton { spacing: %1px; }\nQRadioButton::indicator { width: %2px; height: %2px; }\n")
            .arg(m_window.style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing))
            .arg(m_window.style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth));
    return scale.styleSheet(app->styleSheet() + indicator);
}

} // namespace lotdraw
