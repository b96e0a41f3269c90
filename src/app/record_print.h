#pragma once

#include "event/event_model.h"
#include "state/messages.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QPrintPreviewDialog;
class QPrinter;
class QWidget;

namespace lotdraw {

// The printed record of the event, as the operator asks for it: a print preview of the record the
// event holds, on A4, from which it goes to a printer or into a PDF file. The printer chosen there
// stays chosen for the next print.
class RecordPrint final : public QObject {
    Q_OBJECT

public:
    static inline const QString kMenuText = QStringLiteral("打印抽签记录…");
    static inline const QString kPreviewTitle = QStringLiteral("打印抽签记录");
    static inline const QString kNothingDrawnMessage = QStringLiteral("本轮还没有抽签，没有可以打印的抽签记录。");
    static inline const QString kNotPrintedMessage =
        QStringLiteral("抽签记录没有打印出来。请检查打印机；如果是保存为PDF文件，请另选一个可以写入的文件夹。");

    RecordPrint(const EventModel &event, Messages &messages);
    ~RecordPrint() override;
    Q_DISABLE_COPY_MOVE(RecordPrint)

    // Opens the preview over `window` with the record as it stands, or says that there is nothing
    // to print yet.
    void open(QWidget *window);

private:
    // What the preview paints, onto its own pages and onto the printer or the PDF file at "打印".
    void paint(const EventRecord &record, QPrinter &printer);

    const EventModel &m_event;
    Messages &m_messages;
    std::unique_ptr<QPrinter> m_printer;
    QPointer<QPrintPreviewDialog> m_preview;
};

} // namespace lotdraw
