#pragma once

#include "office/libreoffice_options.h"
#include "spreadsheet/cancellation_token.h"

#include <QString>

namespace lotdraw {

// The hand-over of a workbook to the user: a Calc window of the user's own, on the user's own
// profile, detached from this program so that it outlives it.

// Starts that window for the workbook at `path` and returns once its office holds the workbook
// open. Until then the office is still ours to watch: one that ends without opening it (a broken
// profile, say) or has not done so within `options.handOverTimeout` fails the hand-over with a
// SpreadsheetError, and a cancel of `cancel` with SpreadsheetCancelled; an office still running
// then is ended.
void handOverToUser(const LibreOfficeOptions &options, const QString &path, const CancellationToken &cancel);

} // namespace lotdraw
