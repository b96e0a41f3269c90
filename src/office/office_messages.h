#pragma once

#include <QDir>
#include <QString>
#include <chrono>

namespace lotdraw::office_messages {

// The texts the operator is shown when the spreadsheet application fails. Each names the file or
// the step, so that the operator knows what to mend.

// A limit as the operator reads it: whole seconds, rounded up.
inline int wholeSeconds(std::chrono::milliseconds limit) {
    return static_cast<int>(std::chrono::ceil<std::chrono::seconds>(limit).count());
}

inline QString cannotStart(const QString &reason) {
    return QStringLiteral("无法启动电子表格程序（LibreOffice Calc）：%1").arg(reason);
}

inline QString busy() {
    return QStringLiteral("电子表格程序正在为本程序处理另一项工作，请稍后再试。");
}

inline QString notResponding() {
    return QStringLiteral("电子表格程序没有响应，已被强制结束。请再试一次。");
}

// The office froze while it opened the workbook and was ended: the file itself is the likely cause,
// so trying again would end the same way.
inline QString openTimedOut(const QString &path, std::chrono::milliseconds limit) {
    return QStringLiteral("名单工作簿没能在 %1 秒内打开，电子表格程序没有响应，已被强制结束：%2\n"
                          "这个文件可能已损坏，请在电子表格程序中检查它，或换用一个完好的名单工作簿。")
        .arg(wholeSeconds(limit))
        .arg(QDir::toNativeSeparators(path));
}

inline QString crashed() {
    return QStringLiteral("电子表格程序意外退出。请再试一次。");
}

inline QString alreadyEnded() {
    return QStringLiteral("电子表格程序已经结束，不能再使用。");
}

inline QString missing(const QString &path) {
    return QStringLiteral("找不到名单工作簿：%1").arg(QDir::toNativeSeparators(path));
}

inline QString lockedOrOpen(const QString &path) {
    return QStringLiteral(
               "名单工作簿已在电子表格程序中打开（或被其他用户锁定）：%1\n请先在电子表格程序中关闭它，再试一次。")
        .arg(QDir::toNativeSeparators(path));
}

inline QString notWritable(const QString &path) {
    return QStringLiteral("名单工作簿不可写入（文件或它所在的文件夹是只读的），无法保存：%1")
        .arg(QDir::toNativeSeparators(path));
}

inline QString accessDenied(const QString &path) {
    return QStringLiteral("没有权限读取名单工作簿：%1").arg(QDir::toNativeSeparators(path));
}

inline QString damaged(const QString &path) {
    return QStringLiteral("名单工作簿已损坏，无法读取：%1").arg(QDir::toNativeSeparators(path));
}

inline QString passwordProtected(const QString &path) {
    return QStringLiteral(
               "名单工作簿受密码保护，无法读取：%1\n请先在电子表格程序中打开它，去掉密码后保存，再导入或导出。")
        .arg(QDir::toNativeSeparators(path));
}

// The office read the workbook only after a repair or with a warning that not all of it could be
// loaded: saving would write back less than the file holds.
inline QString incompletelyLoaded(const QString &path) {
    return QStringLiteral("名单工作簿需要修复才能打开，或有部分内容未能读入；保存会使内容丢失，因此没有写入：%1\n"
                          "请先在电子表格程序中打开这个工作簿并重新保存，再导出。")
        .arg(QDir::toNativeSeparators(path));
}

inline QString notWorkbook(const QString &path) {
    return QStringLiteral("文件不是电子表格工作簿（.xls、.xlsx 或 .ods），无法读取：%1")
        .arg(QDir::toNativeSeparators(path));
}

inline QString cannotOpen(const QString &path, const QString &reason) {
    return QStringLiteral("无法打开名单工作簿：%1\n%2").arg(QDir::toNativeSeparators(path), reason);
}

inline QString cannotCreate(const QString &path, const QString &reason) {
    return QStringLiteral("无法新建工作簿：%1\n%2").arg(QDir::toNativeSeparators(path), reason);
}

inline QString noWorkbookOpen() {
    return QStringLiteral("电子表格程序中没有打开的工作簿。");
}

inline QString badCell(int row, int column) {
    return QStringLiteral("单元格位置无效：第 %1 行，第 %2 列。").arg(row).arg(column);
}

inline QString cellFailed(int row, int column, const QString &reason) {
    return QStringLiteral("无法访问第 %1 行、第 %2 列的单元格：%3").arg(row).arg(column).arg(reason);
}

inline QString saveFailed(const QString &path, const QString &reason) {
    return QStringLiteral("无法保存名单工作簿：%1\n%2").arg(QDir::toNativeSeparators(path), reason);
}

inline QString fileExists(const QString &path) {
    return QStringLiteral("文件已存在，不会覆盖：%1").arg(QDir::toNativeSeparators(path));
}

inline QString unsavedChanges() {
    return QStringLiteral("工作簿有尚未保存的更改，不能交给用户编辑。");
}

inline QString noDisplay() {
    return QStringLiteral("没有可用的图形界面，无法显示电子表格窗口。");
}

inline QString windowEnded(const QString &path) {
    return QStringLiteral(
               "电子表格程序没有打开名单工作簿就退出了：%1\n请再试一次，或直接在电子表格程序中打开这个文件。")
        .arg(QDir::toNativeSeparators(path));
}

inline QString windowTimedOut(const QString &path, std::chrono::milliseconds limit) {
    return QStringLiteral("电子表格程序在 %1 秒内没有打开名单工作簿，已将它结束：%2\n请再试一次。")
        .arg(wholeSeconds(limit))
        .arg(QDir::toNativeSeparators(path));
}

inline QString cannotShow(const QString &reason) {
    return QStringLiteral("无法在电子表格程序中显示名单工作簿：%1").arg(reason);
}

} // namespace lotdraw::office_messages
