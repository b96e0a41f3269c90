#include "app/stage_layout.h"

#include "build_info.h"
#include "skin/fonts.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <optional>

namespace lotdraw {
namespace {

using Role = StageLine::Role;

// Texts are measured once at this size to guess the size that fits; the guess is then checked
// against the metrics at the size itself, which hinting makes a little less than proportional.
constexpr int kReferencePixels = 100;
// No text grows beyond this, whatever the screen.
constexpr int kLargestPixels = 16384;
// The empty rim around everything, as a share of the shorter side of the screen.
constexpr qreal kMarginShare = 0.03;
// The band at the top that a result's heading takes, as a share of the height inside the margin.
constexpr qreal kHeadingBandShare = 1.0 / 6;
// A name takes at most this share of its column's width, so the columns stay apart.
constexpr qreal kNameWidthShare = 0.85;
// Rows and columns of names lie no further apart than this many times the line height and the
// widest name, so a few names stand together in the middle rather than in the corners.
constexpr qreal kNameSpacing = 1.25;

// A text on one line at `metrics`: its width (a bold face's strokes may reach past its advance)
// and the line's height.
QSizeF lineExtent(const QFontMetricsF &metrics, const QString &text) {
    return {std::max(metrics.horizontalAdvance(text), metrics.boundingRect(text).width()), metrics.height()};
}

// A text on as many lines as its line breaks make: the widest line, and the lines' heights with
// the face's gap between them.
QSizeF textExtent(const QFontMetricsF &metrics, const QString &text) {
    const QStringList lines = text.split(u'\n');
    qreal widest = 0;
    for (const QString &line : lines) {
        widest = std::max(widest, lineExtent(metrics, line).width());
    }
    const auto gaps = static_cast<qreal>(lines.size() - 1);
    return {widest, metrics.height() * static_cast<qreal>(lines.size()) + std::max(0.0, metrics.leading()) * gaps};
}

qreal widestOf(const QFontMetricsF &metrics, const QStringList &texts) {
    qreal widest = 0;
    for (const QString &text : texts) {
        widest = std::max(widest, textExtent(metrics, text).width());
    }
    return widest;
}

bool fitsIn(const QFontMetricsF &metrics, const QString &text, QSizeF box) {
    const QSizeF extent = textExtent(metrics, text);
    return extent.width() <= box.width() && extent.height() <= box.height();
}

bool allFit(const StageLook &look, Role role, int pixelSize, const QStringList &texts, QSizeF box) {
    const QFontMetricsF metrics(stageFont(look, role, pixelSize));
    return std::ranges::all_of(texts, [&](const QString &text) { return fitsIn(metrics, text, box); });
}

// The largest size at which `fits` holds, searched from a first guess: from there up or down in
// growing steps, then by halving the gap. 1 when nothing fits at all.
int largestSize(int guess, const std::function<bool(int)> &fits) {
    int low = 0;  // the largest size known to fit
    int high = 0; // the smallest size known not to
    const int first = std::clamp(guess, 1, kLargestPixels);
    if (fits(first)) {
        low = first;
        for (int step = 1; high == 0; step *= 2) {
            const int next = low + step;
            (next <= kLargestPixels && fits(next) ? low : high) = next;
        }
    } else {
        high = first;
        for (int step = 1; low == 0; step *= 2) {
            const int next = std::max(1, high - step);
            if (fits(next)) {
                low = next;
            } else if (next == 1) {
                return 1;
            } else {
                high = next;
            }
        }
    }
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        (fits(middle) ? low : high) = middle;
    }
    return low;
}

// The largest size at which every text fits `box` on one line.
int largestFittingSize(const StageLook &look, Role role, const QStringList &texts, QSizeF box) {
    const QFontMetricsF reference(stageFont(look, role, kReferencePixels));
    const qreal widest = widestOf(reference, texts);
    qreal scale = box.height() / reference.height();
    if (widest > 0) {
        scale = std::min(scale, box.width() / widest);
    }
    const int guess = static_cast<int>(std::floor(scale * kReferencePixels));
    return largestSize(guess, [&](int size) { return allFit(look, role, size, texts, box); });
}

StageLine oneLine(const StageLook &look, Role role, const QString &text, QRect box, QSize fitIn) {
    return {role, text, box, largestFittingSize(look, role, {text}, QSizeF(fitIn))};
}

// A result's name as the stage may show it: on one line, or broken in two where that lets it grow.
// Breaking puts a line feed into the text and takes nothing out of it. Extents at the reference size.
struct NameForms {
    QString oneLine;
    QSizeF oneLineExtent;
    QString twoLines; // empty when the name has nowhere to break
    QSizeF twoLinesExtent;
};

// Where a name may break: after a separator between its parts (a space, a hyphen, the middle dot of
// a transliterated name) where it has one; otherwise where a line may break in its script (between
// two Chinese characters); a single long word between any two of its characters.
QList<qsizetype> breakPositions(const QString &name) {
    static const QString separators = QStringLiteral(" -\u00B7\u2022\u2027\u30FB\uFF65");
    QList<qsizetype> positions;
    for (qsizetype at = 1; at < name.size(); ++at) {
        if (separators.contains(name.at(at - 1)) && !separators.contains(name.at(at))) {
            positions.append(at);
        }
    }
    for (const auto type : {QTextBoundaryFinder::Line, QTextBoundaryFinder::Grapheme}) {
        if (!positions.isEmpty()) {
            break;
        }
        QTextBoundaryFinder finder(type, name);
        for (qsizetype at = finder.toNextBoundary(); at > 0 && at < name.size(); at = finder.toNextBoundary()) {
            positions.append(at);
        }
    }
    return positions;
}

// The name on one line, and on two broken where the wider of the two lines is narrowest.
NameForms formsOf(const QFontMetricsF &reference, const QString &name) {
    NameForms forms{name, textExtent(reference, name), {}, {}};
    for (const qsizetype at : breakPositions(name)) {
        const QString broken = name.left(at) + u'\n' + name.mid(at);
        const QSizeF extent = textExtent(reference, broken);
        if (forms.twoLines.isEmpty() || extent.width() < forms.twoLinesExtent.width()) {
            forms.twoLines = broken;
            forms.twoLinesExtent = extent;
        }
    }
    return forms;
}

// How much a text of `extent` at the reference size may grow to fill `cell`.
qreal scaleToFill(QSizeF extent, QSizeF cell) {
    const qreal byHeight = cell.height() / extent.height();
    return extent.width() > 0 ? std::min(byHeight, cell.width() / extent.width()) : byHeight;
}

// The name's form at `metrics` in a cell of `body`: one line where that fits, else two lines where
// they fit. A name breaks only where one line would be wider than the whole body: a short name
// broken to fit a narrow column would read as two names.
std::optional<QString> formThatFits(const QFontMetricsF &metrics, const NameForms &forms, QSizeF cell,
                                    qreal bodyWidth) {
    if (fitsIn(metrics, forms.oneLine, cell)) {
        return forms.oneLine;
    }
    if (!forms.twoLines.isEmpty() && textExtent(metrics, forms.oneLine).width() > bodyWidth &&
        fitsIn(metrics, forms.twoLines, cell)) {
        return forms.twoLines;
    }
    return std::nullopt;
}

struct NameGrid {
    int columns = 1;
    int rows = 1;
    qreal scale = 0; // from the reference size, as the extents at that size guess it
};

// The grid in which the names get the largest size, each in the better of its forms; the names
// fill it row by row, left to right.
NameGrid bestGrid(const std::vector<NameForms> &names, QSize body) {
    const auto count = static_cast<int>(names.size());
    NameGrid best{1, count, -1};
    for (int columns = 1; columns <= count; ++columns) {
        const int rows = (count + columns - 1) / columns;
        const QSizeF cell(body.width() * kNameWidthShare / columns, static_cast<qreal>(body.height()) / rows);
        qreal scale = std::numeric_limits<qreal>::max();
        for (const NameForms &forms : names) {
            // As formThatFits(): two lines count only at a size where one line outgrows the body.
            const qreal oneLine = scaleToFill(forms.oneLineExtent, cell);
            const qreal twoLines = forms.twoLines.isEmpty() ? 0 : scaleToFill(forms.twoLinesExtent, cell);
            const qreal outgrowsBody = body.width() / forms.oneLineExtent.width();
            scale = std::min(scale, twoLines > outgrowsBody ? std::max(oneLine, twoLines) : oneLine);
        }
        if (scale > best.scale) {
            best = {columns, rows, scale};
        }
    }
    return best;
}

struct FittedNames {
    QStringList texts;
    int pixelSize;
};

// The names as they are shown at the largest size at which each fits `cell` in one of its forms.
FittedNames fittedNames(const StageLook &look, const std::vector<NameForms> &names, int guess, QSizeF cell,
                        qreal bodyWidth) {
    const int size = largestSize(guess, [&](int pixels) {
        const QFontMetricsF metrics(stageFont(look, Role::Name, pixels));
        return std::ranges::all_of(
            names, [&](const NameForms &forms) { return formThatFits(metrics, forms, cell, bodyWidth).has_value(); });
    });
    const QFontMetricsF metrics(stageFont(look, Role::Name, size));
    QStringList shown;
    for (const NameForms &forms : names) {
        shown.append(formThatFits(metrics, forms, cell, bodyWidth).value_or(forms.oneLine));
    }
    return {shown, size};
}

void arrangeNames(const StageLook &look, const QStringList &names, QRect body, std::vector<StageLine> &lines) {
    if (names.isEmpty()) {
        return;
    }
    const QFontMetricsF reference(stageFont(look, Role::Name, kReferencePixels));
    std::vector<NameForms> forms;
    for (const QString &name : names) {
        forms.push_back(formsOf(reference, name));
    }
    const NameGrid grid = bestGrid(forms, body.size());
    const QSize cell(body.width() / grid.columns, body.height() / grid.rows);
    const auto [shown, size] = fittedNames(look, forms, static_cast<int>(std::floor(grid.scale * kReferencePixels)),
                                           QSizeF(cell.width() * kNameWidthShare, cell.height()), body.width());

    // Close the grid up around the names at their size, centred in the body; a last row that is
    // not full is centred under the others.
    const QFontMetricsF metrics(stageFont(look, Role::Name, size));
    qreal tallest = 0;
    for (const QString &text : shown) {
        tallest = std::max(tallest, textExtent(metrics, text).height());
    }
    const QSize step(
        std::min(cell.width(), static_cast<int>(std::ceil(widestOf(metrics, shown) * kNameSpacing / kNameWidthShare))),
        std::min(cell.height(), static_cast<int>(std::ceil(tallest * kNameSpacing))));
    const int top = body.y() + (body.height() - step.height() * grid.rows) / 2;
    for (int i = 0; i < shown.size(); ++i) {
        const int row = i / grid.columns;
        const int inRow = std::min(grid.columns, static_cast<int>(shown.size()) - row * grid.columns);
        const int left = body.x() + (body.width() - step.width() * inRow) / 2;
        const QPoint topLeft(left + step.width() * (i % grid.columns), top + step.height() * row);
        lines.push_back({Role::Name, shown.at(i), QRect(topLeft, step), size});
    }
}

std::vector<StageLine> arrangeResult(const StageScene &scene, const StageLook &look, QRect content) {
    const int band = static_cast<int>(content.height() * kHeadingBandShare);
    const QRect headingBox(content.topLeft(), QSize(content.width(), band));
    std::vector<StageLine> lines{oneLine(look, Role::Heading, scene.text, headingBox, headingBox.size())};
    arrangeNames(look, scene.names, content.adjusted(0, band, 0, 0), lines);
    return lines;
}

} // namespace

QFont stageFont(const StageLook &look, StageLine::Role role, int pixelSize) {
    QFont font = role == Role::RollingName ? look.rollingNameFont
                 : role == Role::Name      ? look.nameFont
                                           : look.headingFont;
    // Chosen at a size above the face change, then set to the size asked for: one face at all sizes.
    font.setPixelSize(kReferencePixels);
    font = withRealBoldWhenLarge(font, 96);
    font.setPixelSize(pixelSize);
    return font;
}

std::vector<StageLine> arrangeStage(const StageScene &scene, const StageLook &look, QSize area) {
    const int margin = std::max(1, qRound(std::min(area.width(), area.height()) * kMarginShare));
    const QRect content = QRect(QPoint(0, 0), area).adjusted(margin, margin, -margin, -margin);
    switch (scene.kind) {
        case StageScene::Kind::Waiting: {
            const QString name = QString::fromUtf16(build_info::kProgramName);
            const QSize band(content.width(), static_cast<int>(content.height() * kHeadingBandShare));
            return {oneLine(look, Role::ProgramName, name, content, band)};
        }
        case StageScene::Kind::RollingName:
            if (scene.text.isEmpty()) {
                return {};
            }
            return {oneLine(look, Role::RollingName, scene.text, content, content.size())};
        case StageScene::Kind::Result:
            return arrangeResult(scene, look, content);
    }
    return {};
}

int stageScreenIndex(const QList<QRect> &screens, int operatorScreen) {
    const bool known = operatorScreen >= 0 && operatorScreen < screens.size();
    int best = known ? operatorScreen : 0;
    qint64 bestArea = -1;
    for (int i = 0; i < screens.size(); ++i) {
        // A screen that shows part of the operator's (a mirror of it, say) would cover the form.
        if (known && screens.at(i).intersects(screens.at(operatorScreen))) {
            continue;
        }
        const qint64 area = static_cast<qint64>(screens.at(i).width()) * screens.at(i).height();
        if (area > bestArea) {
            best = i;
            bestArea = area;
        }
    }
    return best;
}

} // namespace lotdraw
