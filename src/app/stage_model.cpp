#include "app/stage_model.h"

#include "state/draw_state_procedures.h"

namespace lotdraw {

StageModel::StageModel() {
    for (int i = FormControls::kFirstResultList; i <= FormControls::kLastResultList; ++i) {
        m_headings.at(static_cast<std::size_t>(i)) = DrawStateProcedures::headingFor(i);
    }
}

void StageModel::rollingTextChanged(const QString &text) {
    m_rollingText = text;
    m_shownResultList = 0;
}

void StageModel::rollingChanged(bool rolling) {
    m_rolling = rolling;
    if (rolling) {
        m_shownResultList = 0;
    }
}

void StageModel::headingChanged(int resultList, const QString &text) {
    m_headings.at(static_cast<std::size_t>(resultList)) = text;
}

void StageModel::highlightChanged(int resultList, bool on) {
    if (on) {
        m_shownResultList = resultList;
    } else if (resultList == m_shownResultList) {
        m_shownResultList = 0;
    }
}

StageScene StageModel::scene(FormControls &form) const {
    if (m_shownResultList != 0) {
        const ListLines &lines = form.list(m_shownResultList);
        QStringList names;
        names.reserve(lines.count());
        for (int i = 0; i < lines.count(); ++i) {
            names.append(lines.line(i));
        }
        return {StageScene::Kind::Result, m_headings.at(static_cast<std::size_t>(m_shownResultList)), names};
    }
    if (m_rolling || !m_rollingText.isEmpty()) {
        return {StageScene::Kind::RollingName, m_rollingText, {}};
    }
    return {};
}

} // namespace lotdraw
