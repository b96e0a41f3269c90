#pragma once

#include <QString>

namespace lotdraw::testing {

// What the operator reads when the program refuses, spelled out here rather than taken from the
// program's own constants, so that a slip in one of those shows up in the tests.
inline const QString kOfficeRunningText = QStringLiteral("系统检测到已打开EXCEL文档，需要关闭EXCEL文档才能运行！");
inline const QString kTooManyText = QStringLiteral("抽签的人数必须小于被抽总人数！");
inline const QString kNoKeepChoiceText = QStringLiteral("抽签设置中的保留情况尚未设置，请选择！");
inline const QString kNumberOutOfRangeText = QStringLiteral("抽取值必须在0到32767之间，请重新输入！");
inline const QString kSeriesFullText =
    QStringLiteral("本轮抽签已达32767次，不能再记录结果！请重新导入抽签对象，开始新的一轮抽签。");

} // namespace lotdraw::testing
