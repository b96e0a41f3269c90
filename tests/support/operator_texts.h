#pragma once

#include <QString>

namespace lotdraw::testing {

// What the operator reads when the program refuses, spelled out here rather than taken from the
// program's own constants, so that a slip in one of those shows up in the tests.
inline const QString kOfficeRunningText = QStringLiteral("系统检测到已打开EXCEL文档，需要关闭EXCEL文档才能运行！");
inline const QString kTooManyText = QStringLiteral("抽签的人数必须小于被抽总人数！");
inline const QString kNoKeepChoiceText = QStringLiteral("抽签设置中的保留情况尚未设置，请选择！");
// A draw of no names, or of a number that does not fit, with the count of the pool.
inline QString numberOutOfRangeText(int poolCount) {
    return QStringLiteral("抽取值（每次抽取的人数）必须至少为1，并且小于被抽总人数（现有%1人），请重新输入！")
        .arg(poolCount);
}
inline const QString kNothingDrawnText = QStringLiteral("本轮还没有抽签，没有可以打印的抽签记录。");
inline const QString kNotPrintedText =
    QStringLiteral("抽签记录没有打印出来。请检查打印机；如果是保存为PDF文件，请另选一个可以写入的文件夹。");
inline const QString kSeriesFullText =
    QStringLiteral("本轮抽签已达32767次，不能再记录结果！请重新导入抽签对象，开始新的一轮抽签。");

} // namespace lotdraw::testing
