#include "app/form_scale.h"

#include "app/form_layout.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace lotdraw {

FormScale FormScale::fitting(QSize area) {
    if (area.isEmpty()) {
        return {};
    }
    const qreal factor = std::min(qreal(area.width()) * kTwipsPerPixel / kFormTwips.width(),
                                  qreal(area.height()) * kTwipsPerPixel / kFormTwips.height());
    FormScale scale(factor, QPoint());
    const QSize form = scale.formSize();
    scale.m_origin = QPoint((area.width() - form.width()) / 2, (area.height() - form.height()) / 2);
    return scale;
}

QSize FormScale::formSize() const {
    return pixels(QRect(QPoint(), kFormTwips)).size();
}

QRect FormScale::pixels(QRect twips) const {
    const auto scaled = [this](int value) { return qRound(value * m_factor / kTwipsPerPixel); };
    return {scaled(twips.x()), scaled(twips.y()), scaled(twips.width()), scaled(twips.height())};
}

int FormScale::length(int normalPixels) const {
    return qRound(normalPixels * m_factor);
}

QString FormScale::styleSheet(const QString &sheet) const {
    // A number right before "px", not part of a name or a colour.
    static const QRegularExpression pixelLength(QStringLiteral("(?<![\\w#.])(\\d+(?:\\.\\d+)?)px\\b"));
    QString result;
    qsizetype copied = 0;
    for (const QRegularExpressionMatch &match : pixelLength.globalMatch(sheet)) {
        const double value = match.capturedView(1).toDouble();
        const long scaled = value > 0 ? std::max(1L, std::lround(value * m_factor)) : 0L;
        result += QStringView(sheet).mid(copied, match.capturedStart() - copied);
        result += QString::number(scaled) + QStringLiteral("px");
        copied = match.capturedEnd();
    }
    result += QStringView(sheet).mid(copied);
    return result;
}

} // namespace lotdraw
