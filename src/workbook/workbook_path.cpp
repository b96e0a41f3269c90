#include "workbook/workbook_path.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace lotdraw {

namespace {

QString executableFolder() {
    if (QCoreApplication::instance() != nullptr) {
        return QCoreApplication::applicationDirPath();
    }
    // Without an application object (early start, small tools) ask the system directly.
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

} // namespace

QString nameListWorkbookPath() {
    return QDir(executableFolder()).filePath(QStringLiteral("导入名单.xls"));
}

} // namespace lotdraw
