#pragma once

#include "app/stage_model.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace lotdraw {

// The faces and colours of the form's own texts, which the stage draws its texts in, and the plain
// background it draws them on.
struct StageLook {
    QFont rollingNameFont; // the form's rolling display
    QColor rollingNameColour;
    QFont headingFont; // the result lists' headings; also the waiting stage's program name
    QColor headingColour;
    QFont nameFont; // the result lists' lines
    QColor nameColour;
    QColor background;
};

// One text of the stage: what it says, the box it is centred in and its size in pixels. The box
// holds the text at that size on the lines its line feeds make; nothing of it is cut. Only a
// result's name is ever broken, by a line feed put between two of its characters.
struct StageLine {
    enum class Role { ProgramName, RollingName, Heading, Name };

    Role role;
    QString text;
    QRect box;
    int pixelSize;

    friend bool operator==(const StageLine &, const StageLine &) = default;
};

// The stage's texts for a scene on an area of the given size: the rolling name alone, on one line,
// as large as the area allows with a margin; a result's heading in a band at the top and its names
// under it in as many columns as give them the largest size, all names at the same size, in the
// list's order row by row, so that reading across, line by line, gives the list's order (a last row
// that is not full is centred); a long name on two lines where that lets it grow larger than on
// one; while waiting, the program's name.
[[nodiscard]] std::vector<StageLine> arrangeStage(const StageScene &scene, const StageLook &look, QSize area);

// The font a stage text of `role` is drawn in at `pixelSize`: the form's face for that text. A bold
// Song face takes its real bold weight at every size, so the fitting measures the face it draws.
[[nodiscard]] QFont stageFont(const StageLook &look, StageLine::Role role, int pixelSize);

// Which screen the stage covers, as an index into `screens`: with more than one screen the
// largest of those that do not hold the operator's window (the first of equals), with one the
// only one.
[[nodiscard]] int stageScreenIndex(const QList<QRect> &screens, int operatorScreen);

} // namespace lotdraw
