#include "app/form1.h"
#include "app/message_box_messages.h"

#include <QApplication>
#include <QDir>

namespace {

// Stands in until the LibreOffice layer is linked in: every workbook command reports that the
// spreadsheet application cannot be reached.
class NoSpreadsheetApplication final : public lotdraw::SpreadsheetApplication {
public:
    [[nodiscard]] bool isRunning() override { return false; }
    [[nodiscard]] std::unique_ptr<lotdraw::SpreadsheetInstance> create() override {
        throw lotdraw::SpreadsheetError(QStringLiteral("无法启动电子表格程序。"));
    }
};

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lotdraw"));
    QApplication::setApplicationDisplayName(QString::fromUtf16(lotdraw::kProgramName));

    lotdraw::MessageBoxMessages messages;
    NoSpreadsheetApplication spreadsheet;
    lotdraw::Form1 window(
        {messages, spreadsheet, QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("导入名单.xls"))});
    messages.setParent(&window);
    window.show();
    return QApplication::exec();
}
