#include "app/record_print.h"

#include "record/record_printer.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QTimer>

namespace lotdraw {

RecordPrint::RecordPrint(const EventModel &event, Messages &messages)
    : m_event(event)
    , m_messages(messages)
    , m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setUpRecordPage(*m_printer);
}

// The preview draws on the printer: it goes first.
RecordPrint::~RecordPrint() {
    delete m_preview.data();
}

void RecordPrint::open(QWidget *window) {
    const EventRecord record = m_event.record();
    if (record.draws.isEmpty()) {
        m_messages.show(kNothingDrawnMessage);
        return;
    }
    // The name a PDF file is offered under.
    m_printer->setDocName(QStringLiteral("抽签记录_%1").arg(record.date.toString(Qt::ISODate)));
    auto *preview = new QPrintPreviewDialog(m_printer.get(), window);
    preview->setObjectName(QStringLiteral("recordPreview"));
    preview->setWindowTitle(kPreviewTitle);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    // Large enough to read a page at a glance: most of the screen it opens on.
    if (const QScreen *screen = window != nullptr ? window->screen() : nullptr) {
        preview->resize(screen->availableGeometry().size() * 0.8);
    }
    // Modal like a message, without a nested event loop: the window's keys wait while it is open.
    preview->setWindowModality(Qt::ApplicationModal);
    connect(preview, &QPrintPreviewDialog::paintRequested, this,
            [this, record](QPrinter *printer) { paint(record, *printer); });
    m_preview = preview;
    preview->show();
}

void RecordPrint::paint(const EventRecord &record, QPrinter &printer) {
    if (!printRecord(record, printer)) {
        // Told once the preview's own work is done, not in the middle of it.
        QTimer::singleShot(0, this, [this] { m_messages.show(kNotPrintedMessage); });
    }
}

} // namespace lotdraw
