#pragma once

#include "office/uno/calc_cells.h"
#include "office/uno/office_interaction_handler.h"
#include "office/workbook_file.h"

#include <QString>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <memory>
#include <optional>

namespace lotdraw {

class OfficeConnection;

// One workbook loaded in the hidden office: how it was loaded (with the office's questions
// answered), its active sheet's cells, and its save, which replaces the file in one step.
class CalcWorkbook final {
public:
    // Loads the workbook at `path`. A workbook protected by a password opens as a closed book: its
    // cells and its save refuse with a message saying so, while the hand-over to the user's window
    // still takes it. Throws SpreadsheetError.
    [[nodiscard]] static std::unique_ptr<CalcWorkbook> open(OfficeConnection &office, const QString &path);
    // A new, empty workbook that save() writes to `path` for the first time, as Excel 97. Never
    // replaces an existing file.
    [[nodiscard]] static std::unique_ptr<CalcWorkbook> create(OfficeConnection &office, const QString &path);
    CalcWorkbook(const CalcWorkbook &) = delete;
    CalcWorkbook &operator=(const CalcWorkbook &) = delete;
    CalcWorkbook(CalcWorkbook &&) = delete;
    CalcWorkbook &operator=(CalcWorkbook &&) = delete;
    ~CalcWorkbook() = default;

    [[nodiscard]] const QString &path() const noexcept { return m_path; }
    // The active sheet's cells; refused for a closed book.
    [[nodiscard]] CalcCells &cells();
    // Stores into a temporary file beside the workbook and renames it over the workbook, so that a
    // failure leaves the old workbook whole. Refuses a workbook that was read only in part, or from
    // a file this login cannot replace.
    void save();
    // True when the document holds changes that its file does not.
    [[nodiscard]] bool hasUnsavedChanges();
    // Closes the document; one that refuses to close goes with the office.
    void close();

private:
    // What the workbook lets us do, the strongest refusal first.
    enum class Access {
        Writable,
        ReadOnly,          // from a file or folder this login cannot write: it reads, every save refuses
        Partial,           // read after a repair or a warning: it may hold less than the file, so it is never saved
        PasswordProtected, // nothing of it is loaded: only the hand-over takes it
    };

    CalcWorkbook(OfficeConnection &office, QString path, WorkbookFormat format, bool isNew);
    void load();

    [[noreturn]] void failLoad(OfficeQuestion question) const;
    void attach(const css::uno::Reference<css::lang::XComponent> &component);
    // Takes the document's model, sheet and formats; the refusal when it is none we can work with.
    [[nodiscard]] QString inspect(const css::uno::Reference<css::lang::XComponent> &component);
    void checkSavable(const QString &target) const;
    void storeTo(const QString &temporary, const QString &target);
    void markSaved();

    OfficeConnection &m_office;
    QString m_path;
    // The format it is loaded in and saved back in, whatever the file's name says.
    WorkbookFormat m_format;
    bool m_isNew;
    Access m_access = Access::Writable;
    css::uno::Reference<css::frame::XModel> m_model;
    std::optional<CalcCells> m_cells;
};

} // namespace lotdraw
