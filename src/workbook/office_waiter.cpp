#include "workbook/office_waiter.h"

namespace lotdraw {

QString officeStepText(OfficeStep step) {
    switch (step) {
        case OfficeStep::Start:
            return QStringLiteral("正在启动电子表格程序……");
        case OfficeStep::Open:
            return QStringLiteral("正在打开名单工作簿……");
        case OfficeStep::Read:
            return QStringLiteral("正在读取名单……");
        case OfficeStep::Write:
            return QStringLiteral("正在写入抽签结果……");
        case OfficeStep::Save:
            return QStringLiteral("正在保存名单工作簿……");
        case OfficeStep::Close:
            return QStringLiteral("正在关闭电子表格程序……");
        case OfficeStep::Show:
            return QStringLiteral("正在电子表格窗口中打开名单工作簿……");
        case OfficeStep::NewWorkbook:
            return QStringLiteral("正在新建工作簿……");
    }
    return {};
}

QString officeCancellingText() {
    return QStringLiteral("正在取消……");
}

} // namespace lotdraw
