#include "support/fake_spreadsheet.h"

namespace lotdraw::testing {

class FakeSpreadsheetInstance final : public SpreadsheetInstance {
public:
    explicit FakeSpreadsheetInstance(FakeSpreadsheetApplication &app)
        : m_app(app) {
        ++m_app.m_liveInstances;
    }
    ~FakeSpreadsheetInstance() override {
        m_app.record(QStringLiteral("release"));
        --m_app.m_liveInstances;
    }
    FakeSpreadsheetInstance(const FakeSpreadsheetInstance &) = delete;
    FakeSpreadsheetInstance &operator=(const FakeSpreadsheetInstance &) = delete;

    void openWorkbook(const QString &path) override {
        m_app.record(QStringLiteral("open ") + path);
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Open);
        if (!m_app.m_workbookExists || (!m_app.m_workbookPath.isEmpty() && path != m_app.m_workbookPath)) {
            throw SpreadsheetError(QStringLiteral("找不到名单文件：") + path);
        }
        if (m_app.m_userWindowOpen) {
            throw SpreadsheetError(QStringLiteral("名单文件已在电子表格程序中打开。"));
        }
        m_cells = m_app.m_savedCells;
        m_open = true;
    }

    QString cell(int row, int column) override {
        m_app.record(QStringLiteral("read %1,%2").arg(row).arg(column));
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::ReadCell, row);
        requireOpen();
        return m_cells.value({row, column});
    }

    void setCell(int row, int column, const QString &text) override {
        m_app.record(QStringLiteral("write %1,%2=%3").arg(row).arg(column).arg(text));
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::WriteCell, row);
        if (!text.isEmpty()) {
            m_app.maybeFail(FakeSpreadsheetApplication::Operation::WriteText, row);
        }
        requireOpen();
        if (text.isEmpty()) {
            m_cells.remove({row, column});
        } else {
            m_cells.insert({row, column}, text);
        }
    }

    void saveActiveWorkbook() override {
        m_app.record(QStringLiteral("save"));
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Save);
        requireOpen();
        m_app.m_savedCells = m_cells;
    }

    void quit() override {
        m_app.record(QStringLiteral("quit"));
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Quit);
    }

    void closeWorkbooks() override {
        m_app.record(QStringLiteral("close"));
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Close);
        m_open = false;
    }

    void setVisible(bool visible) override {
        m_app.record(visible ? QStringLiteral("show") : QStringLiteral("hide"));
        m_app.maybeFail(FakeSpreadsheetApplication::Operation::Show);
        requireOpen();
        m_app.m_userWindowOpen = visible;
    }

private:
    void requireOpen() const {
        if (!m_open) {
            throw SpreadsheetError(QStringLiteral("没有打开的名单文件。"));
        }
    }

    FakeSpreadsheetApplication &m_app;
    FakeSpreadsheetApplication::Cells m_cells;
    bool m_open = false;
};

QString FakeSpreadsheetApplication::failureMessage(Operation operation) {
    return QStringLiteral("模拟故障 %1").arg(static_cast<int>(operation));
}

bool FakeSpreadsheetApplication::isRunning() {
    record(QStringLiteral("probe"));
    return m_running || m_userWindowOpen;
}

std::unique_ptr<SpreadsheetInstance> FakeSpreadsheetApplication::create() {
    record(QStringLiteral("create"));
    maybeFail(Operation::Create);
    return std::make_unique<FakeSpreadsheetInstance>(*this);
}

void FakeSpreadsheetApplication::failAt(Operation operation, int row) {
    m_failure = Failure{operation, row};
}

void FakeSpreadsheetApplication::setSavedColumn(int column, int firstRow, const QStringList &texts) {
    for (int i = 0; i < texts.size(); ++i) {
        if (!texts.at(i).isEmpty()) {
            m_savedCells.insert({firstRow + i, column}, texts.at(i));
        }
    }
}

void FakeSpreadsheetApplication::maybeFail(Operation operation, int row) const {
    if (m_failure && m_failure->operation == operation && (m_failure->row == 0 || m_failure->row == row)) {
        throw SpreadsheetError(failureMessage(operation));
    }
}

} // namespace lotdraw::testing
