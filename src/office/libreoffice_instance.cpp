#include "office/libreoffice_instance.h"

#include "office/office_handover.h"
#include "office/office_messages.h"
#include "office/uno/calc_workbook.h"
#include "office/uno/office_connection.h"

namespace lotdraw {

LibreOfficeInstance::LibreOfficeInstance(const LibreOfficeOptions &options, const CancellationToken &cancel)
    : m_cancel(cancel)
    , m_connection(std::make_unique<OfficeConnection>(options, cancel)) {}

LibreOfficeInstance::~LibreOfficeInstance() = default;

CalcWorkbook &LibreOfficeInstance::workbook() {
    m_connection->ensureRunning();
    if (!m_workbook) {
        throw SpreadsheetError(office_messages::noWorkbookOpen());
    }
    return *m_workbook;
}

void LibreOfficeInstance::openWorkbook(const QString &path) {
    m_connection->ensureRunning();
    if (m_workbook) {
        m_workbook->close();
        m_workbook.reset();
    }
    m_workbook = CalcWorkbook::open(*m_connection, path);
}

void LibreOfficeInstance::newWorkbook(const QString &path) {
    m_connection->ensureRunning();
    if (m_workbook) {
        m_workbook->close();
        m_workbook.reset();
    }
    m_workbook = CalcWorkbook::create(*m_connection, path);
}

QStringList LibreOfficeInstance::readColumn(int column, int firstRow, int maxRows) {
    return workbook().cells().readColumn(column, firstRow, maxRows);
}

void LibreOfficeInstance::writeColumn(int column, int firstRow, const QStringList &texts, int rowCount) {
    workbook().cells().writeColumn(column, firstRow, texts, rowCount);
}

void LibreOfficeInstance::save() {
    workbook().save();
}

void LibreOfficeInstance::close() {
    if (m_stage != Stage::Working) {
        return;
    }
    m_connection->ensureRunning();
    if (m_workbook) {
        m_workbook->close();
        m_workbook.reset();
    }
    m_connection->end();
    m_stage = Stage::Closed;
}

void LibreOfficeInstance::showToUser() {
    if (m_stage == Stage::HandedOver) {
        return;
    }
    CalcWorkbook &book = workbook();
    // The window opens the file afresh: changes not yet saved would be lost on the way.
    if (book.hasUnsavedChanges()) {
        throw SpreadsheetError(office_messages::unsavedChanges());
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        throw SpreadsheetError(office_messages::noDisplay());
    }
    const QString path = book.path();
    // A hidden office can never show a window, and the user's window belongs on the user's own
    // profile: ours ends first (which also frees the workbook's lock), then theirs starts.
    try {
        book.close();
    } catch (const SpreadsheetError &) {
        // The office ends all the same; a stop shows in the hand-over.
    }
    m_workbook.reset();
    m_connection->end();
    handOverToUser(m_connection->options(), path, m_cancel);
    m_stage = Stage::HandedOver;
}

} // namespace lotdraw
