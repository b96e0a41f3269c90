#pragma once

#include <QString>

namespace lotdraw {

// Facts about files beside a workbook, looked at to tell the operator why the office refused one.

// The lock file LibreOffice keeps beside a document it has open: ".~lock.<name>#".
[[nodiscard]] QString officeLockFilePath(const QString &workbookPath);

// True when the lock file was written by an office running on the profile at `profileUrl`.
[[nodiscard]] bool isLockFileOfProfile(const QString &lockPath, const QString &profileUrl);

// True when the file starts like an Excel workbook: an OLE2 compound file (Excel 97 and later)
// or a bare BIFF stream (Excel 2 to 5). Used to tell a damaged workbook from another kind of file.
[[nodiscard]] bool hasWorkbookSignature(const QString &path);

} // namespace lotdraw
