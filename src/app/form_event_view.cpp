#include "app/form_event_view.h"

#include <QButtonGroup>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

namespace lotdraw {

const QColor FormEventView::kHighlightColour{255, 192, 255};

QString FormEventView::poolCountText(int count) {
    return QStringLiteral("%1可抽值").arg(count);
}

FormEventView::FormEventView(EventModel &event, const FormWidgets &widgets)
    : m_event(event)
    , m_widgets(widgets) {
    for (int list = 1; list <= EventSnapshot::kResultLists; ++list) {
        showResultList(list);
    }
    showLatestResultList(event.latestResultList());
    showKeepChoice(event.keepChoice());
    connect(&event, &EventModel::poolChanged, this, &FormEventView::showPool);
    connect(&event, &EventModel::resultListChanged, this, &FormEventView::showResultList);
    connect(&event, &EventModel::latestResultListChanged, this, &FormEventView::showLatestResultList);
    connect(&event, &EventModel::keepChoiceChanged, this, &FormEventView::showKeepChoice);
    const auto choose = [this](KeepChoice choice) {
        return [this, choice](bool chosen) {
            if (chosen) {
                m_event.setKeepChoice(choice);
            }
        };
    };
    connect(widgets.get<QRadioButton>(Control::KeepOption), &QRadioButton::toggled, this, choose(KeepChoice::Keep));
    connect(widgets.get<QRadioButton>(Control::RemoveOption), &QRadioButton::toggled, this, choose(KeepChoice::Remove));
}

void FormEventView::showPool() {
    QListWidget *list = m_widgets.list(Control::PoolList);
    list->clear();
    list->addItems(m_event.pool());
    m_widgets.label(Control::PoolCountLabel)->setText(poolCountText(static_cast<int>(m_event.pool().size())));
}

void FormEventView::showResultList(int list) {
    m_widgets.label(headingControl(list))->setText(m_event.heading(list));
    QListWidget *names = m_widgets.list(listControl(list));
    names->clear();
    names->addItems(m_event.results(list));
}

void FormEventView::showLatestResultList(int latest) {
    // A style sheet rather than the palette: once the skin's sheet is active, a sheet is what the
    // list's background reliably follows.
    const QString highlight = QStringLiteral("QListWidget { background-color: rgb(%1, %2, %3); }")
                                  .arg(kHighlightColour.red())
                                  .arg(kHighlightColour.green())
                                  .arg(kHighlightColour.blue());
    for (int list = 1; list <= EventSnapshot::kResultLists; ++list) {
        m_widgets.list(listControl(list))->setStyleSheet(list == latest ? highlight : QString());
    }
}

void FormEventView::showKeepChoice(KeepChoice choice) {
    setOptionChosen(m_widgets.get<QRadioButton>(Control::KeepOption), choice == KeepChoice::Keep);
    setOptionChosen(m_widgets.get<QRadioButton>(Control::RemoveOption), choice == KeepChoice::Remove);
}

void FormEventView::setOptionChosen(QRadioButton *option, bool chosen) {
    // An exclusive group never lets its last chosen button go; lift the rule for the moment so the
    // pair can show "neither chosen".
    QButtonGroup &group = m_widgets.keepChoice();
    group.setExclusive(false);
    option->setChecked(chosen);
    group.setExclusive(true);
}

} // namespace lotdraw
