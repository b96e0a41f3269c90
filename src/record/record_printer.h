#pragma once

#include "event/event_record.h"

class QPagedPaintDevice;

namespace lotdraw {

// Sets the page the record is laid out for: A4, upright, with margins for binding and a printer's
// unprintable rim. A print dialog may change it afterwards; printRecord() follows what it finds.
void setUpRecordPage(QPagedPaintDevice &device);

// Paints the record in the form's faces onto the device, page after page, in the device's current
// page layout: a printer, a print preview's printer or a PDF file alike. False when the device
// cannot be painted on (a PDF file that cannot be written, say) or refuses a new page.
[[nodiscard]] bool printRecord(const EventRecord &record, QPagedPaintDevice &device);

} // namespace lotdraw
