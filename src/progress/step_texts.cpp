#include "progress/step_texts.h"

namespace lotdraw {

QString stepText(SpreadsheetStep step) {
    switch (step) {
        case SpreadsheetStep::Start:
            return QStringLiteral("正在启动电子表格程序……");
        case SpreadsheetStep::Open:
            return QStringLiteral("正在打开名单工作簿……");
        case SpreadsheetStep::Read:
            return QStringLiteral("正在读取名单……");
        case SpreadsheetStep::Write:
            return QStringLiteral("正在写入抽签结果……");
        case SpreadsheetStep::Save:
            return QStringLiteral("正在保存名单工作簿……");
        case SpreadsheetStep::Close:
            return QStringLiteral("正在关闭电子表格程序……");
        case SpreadsheetStep::Show:
            return QStringLiteral("正在电子表格窗口中打开名单工作簿……");
        case SpreadsheetStep::NewWorkbook:
            return QStringLiteral("正在新建工作簿……");
    }
    return {};
}

QString cancellingText() {
    return QStringLiteral("正在取消……");
}

} // namespace lotdraw
