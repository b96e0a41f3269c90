#include "record/record_printer.h"

#include "record/record_layout.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>

namespace lotdraw {
namespace {

// Margins in millimetres: left, top, right, bottom.
const QMarginsF kMargins(20, 15, 20, 15);
// The lines to sign on, in points.
constexpr qreal kRuleWidth = 0.6;

void paintPage(QPainter &painter, const RecordFonts &fonts, const RecordPage &page) {
    painter.setPen(Qt::black);
    for (const RecordText &text : page.texts) {
        painter.setFont(fontFor(fonts, text.style));
        painter.drawText(text.box, static_cast<int>(text.alignment) | Qt::TextSingleLine | Qt::TextDontClip, text.text);
    }
    const qreal pointsToPixels = painter.device()->logicalDpiY() / 72.0;
    painter.setPen(QPen(Qt::black, kRuleWidth * pointsToPixels));
    for (const QLineF &rule : page.rules) {
        painter.drawLine(rule);
    }
}

} // namespace

void setUpRecordPage(QPagedPaintDevice &device) {
    device.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, kMargins, QPageLayout::Millimeter));
}

bool printRecord(const EventRecord &record, QPagedPaintDevice &device) {
    const RecordFonts fonts = RecordFonts::formFaces();
    const std::vector<RecordPage> pages = layOutRecord(record, fonts, device);
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        paintPage(painter, fonts, pages[i]);
    }
    return painter.end();
}

} // namespace lotdraw
