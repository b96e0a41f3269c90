#include "app/stage_layout.h"

#include "build_info.h"
#include "skin/fonts.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <functional>

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

qreal widestOf(const QFontMetricsF &metrics, const QStringList &texts) {
    qreal widest = 0;
    for (const QString &text : texts) {
        widest = std::max(widest, lineExtent(metrics, text).width());
    }
    return widest;
}

bool allFit(const StageLook &look, Role role, int pixelSize, const QStringList &texts, QSizeF box) {
    const QFontMetricsF metrics(stageFont(look, role, pixelSize));
    return std::ranges::all_of(texts, [&](const QString &text) {
        const QSizeF extent = lineExtent(metrics, text);
        return extent.width() <= box.width() && extent.height() <= box.height();
    });
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

struct NameGrid {
    int columns = 1;
    int rows = 1;
};

// The grid in which the names get the largest size, guessed from their widths at the reference
// size; rows are filled first, down each column.
NameGrid bestGrid(const StageLook &look, const QStringList &names, QSize body) {
    const QFontMetricsF reference(stageFont(look, Role::Name, kReferencePixels));
    const qreal widest = widestOf(reference, names);
    const auto count = static_cast<int>(names.size());
    NameGrid best;
    qreal bestScale = -1;
    for (int rows = 1; rows <= count; ++rows) {
        const int columns = (count + rows - 1) / rows;
        const qreal cellWidth = body.width() * kNameWidthShare / columns;
        qreal scale = body.height() / (rows * reference.height());
        if (widest > 0) {
            scale = std::min(scale, cellWidth / widest);
        }
        if (scale > bestScale) {
            bestScale = scale;
            best = {columns, rows};
        }
    }
    return best;
}

void arrangeNames(const StageLook &look, const QStringList &names, QRect body, std::vector<StageLine> &lines) {
    if (names.isEmpty()) {
        return;
    }
    const NameGrid grid = bestGrid(look, names, body.size());
    const QSize cell(body.width() / grid.columns, body.height() / grid.rows);
    const int size = largestFittingSize(look, Role::Name, names, QSizeF(cell.width() * kNameWidthShare, cell.height()));

    // Close the grid up around the names at their size, centred in the body.
    const QFontMetricsF metrics(stageFont(look, Role::Name, size));
    const qreal widest = widestOf(metrics, names);
    const int columnWidth =
        std::min(cell.width(), static_cast<int>(std::ceil(widest * kNameSpacing / kNameWidthShare)));
    const int rowHeight = std::min(cell.height(), static_cast<int>(std::ceil(metrics.height() * kNameSpacing)));
    const QPoint origin(body.x() + (body.width() - columnWidth * grid.columns) / 2,
                        body.y() + (body.height() - rowHeight * grid.rows) / 2);
    for (int i = 0; i < names.size(); ++i) {
        const QPoint topLeft = origin + QPoint(columnWidth * (i / grid.rows), rowHeight * (i % grid.rows));
        lines.push_back({Role::Name, names.at(i), QRect(topLeft, QSize(columnWidth, rowHeight)), size});
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
