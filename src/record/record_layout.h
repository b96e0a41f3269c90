#pragma once

#include "event/event_record.h"

#include <QFont>
#include <QLineF>
#include <QRectF>
#include <QString>
#include <vector>

class QPaintDevice;

namespace lotdraw {

// The faces of the printed record, in points.
struct RecordFonts {
    QFont title;   // the record's title
    QFont heading; // a draw's heading, "第N次抽中"
    QFont body;    // the facts of the event and of each draw, the names, the lines to sign on
    QFont note;    // the legend, the title of later pages, the page numbers

    // The form's faces: its Song face ("宋体", through the program's substitutes), bold where the
    // form's headings are, at the sizes of the form's lists.
    [[nodiscard]] static RecordFonts formFaces();
};

enum class RecordStyle { Title, Heading, Body, Note };

[[nodiscard]] const QFont &fontFor(const RecordFonts &fonts, RecordStyle style);

// One line of text on a page, in the page's paintable area and in the device's pixels. The box
// holds the text on one line in its style's font as the device renders it; it is drawn there as it
// stands, never wrapped again or clipped.
struct RecordText {
    RecordStyle style = RecordStyle::Body;
    QString text;
    QRectF box;
    Qt::Alignment alignment = Qt::AlignLeft;
};

struct RecordPage {
    std::vector<RecordText> texts; // in reading order
    std::vector<QLineF> rules;     // the lines to sign on
};

// Lays the record out on pages of the size of `device`'s paintable area, measuring every text as
// the device renders it: the title and the facts of the import, then each draw (its heading, the
// time, the result list, "保留" or "不保留", and its names in order, numbered, in as many columns as
// let each stand on one line, a long name wrapping within its place), the totals and the lines to
// sign on, and a page number at the foot of every page. No line of text is split across pages.
[[nodiscard]] std::vector<RecordPage> layOutRecord(const EventRecord &record, const RecordFonts &fonts,
                                                   const QPaintDevice &device);

} // namespace lotdraw
