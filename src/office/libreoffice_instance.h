#pragma once

#include "office/libreoffice_options.h"
#include "spreadsheet/spreadsheet.h"

#include <memory>

namespace lotdraw {

class CalcWorkbook;
class OfficeConnection;

// One hidden LibreOffice process on our private profile, started for one command: its connection,
// the workbook it has loaded, and the hand-over of that workbook to the user's own window. Whatever
// still runs of it when the object goes is ended, and what it left is removed, unless it was
// handed over.
class LibreOfficeInstance final : public SpreadsheetInstance {
public:
    // Starts and connects the office. Throws SpreadsheetError.
    LibreOfficeInstance(const LibreOfficeOptions &options, const CancellationToken &cancel);
    ~LibreOfficeInstance() override;
    LibreOfficeInstance(const LibreOfficeInstance &) = delete;
    LibreOfficeInstance &operator=(const LibreOfficeInstance &) = delete;
    LibreOfficeInstance(LibreOfficeInstance &&) = delete;
    LibreOfficeInstance &operator=(LibreOfficeInstance &&) = delete;

    void openWorkbook(const QString &path) override;
    void newWorkbook(const QString &path) override;
    [[nodiscard]] QStringList readColumn(int column, int firstRow, int maxRows) override;
    void writeColumn(int column, int firstRow, const QStringList &texts, int rowCount) override;
    void save() override;
    void close() override;
    // Ends this hidden office and opens the workbook in a normal Calc window on the user's own
    // profile, detached from this program; returns once that office holds the workbook open.
    // Refuses a workbook with changes not yet saved: the window opens the file afresh.
    void showToUser() override;

private:
    // Where the instance is in its life.
    enum class Stage { Working, Closed, HandedOver };

    [[nodiscard]] CalcWorkbook &workbook();

    CancellationToken m_cancel;
    std::unique_ptr<OfficeConnection> m_connection;
    // After the connection, so that the document goes before the office.
    std::unique_ptr<CalcWorkbook> m_workbook;
    Stage m_stage = Stage::Working;
};

} // namespace lotdraw
