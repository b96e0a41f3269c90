#include "app/stage_model.h"

namespace lotdraw {

void StageModel::rollingTextChanged(const QString &text) {
    m_rollingText = text;
    m_showsLatestResult = false;
}

void StageModel::rollingChanged(bool rolling) {
    m_rolling = rolling;
    if (rolling) {
        m_showsLatestResult = false;
    }
}

void StageModel::latestResultListChanged(int list) {
    m_showsLatestResult = list != 0;
}

StageScene StageModel::scene() const {
    if (m_showsLatestResult) {
        const int list = m_event.latestResultList();
        return {StageScene::Kind::Result, m_event.heading(list), m_event.results(list)};
    }
    if (m_rolling || !m_rollingText.isEmpty()) {
        return {StageScene::Kind::RollingName, m_rollingText, {}};
    }
    return {};
}

} // namespace lotdraw
