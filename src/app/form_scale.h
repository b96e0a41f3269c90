#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace lotdraw {

// How the window's form is drawn into an area of the screen: every place, font and length
// multiplied by one factor, the form centred in the area. The normal window is the form at factor 1
// in an area of its own size; full screen is the largest factor at which the form fits the screen.
class FormScale final {
public:
    // Factor 1, no margin.
    FormScale() = default;
    // The largest factor at which the form's 13230 x 6720 twips fit `area` (in pixels), centred.
    [[nodiscard]] static FormScale fitting(QSize area);

    [[nodiscard]] qreal factor() const { return m_factor; }
    // Where the form's top-left corner lies in the area.
    [[nodiscard]] QPoint origin() const { return m_origin; }
    [[nodiscard]] QSize formSize() const;

    // A place in twips, relative to its container, in pixels. Each of left, top, width and height
    // is rounded on its own, so controls of one size keep one size wherever they lie.
    [[nodiscard]] QRect pixels(QRect twips) const;
    // A length given in pixels of the normal window.
    [[nodiscard]] int length(int normalPixels) const;
    // A style sheet with every length in pixels scaled alike; a length that was at least 1 px stays
    // at least 1 px, so no border disappears.
    [[nodiscard]] QString styleSheet(const QString &sheet) const;

    friend bool operator==(const FormScale &, const FormScale &) = default;

private:
    FormScale(qreal factor, QPoint origin)
        : m_factor(factor)
        , m_origin(origin) {}

    qreal m_factor = 1.0;
    QPoint m_origin;
};

} // namespace lotdraw
