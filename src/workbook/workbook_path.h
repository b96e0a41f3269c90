#pragma once

#include <QString>

namespace lotdraw {

// The name-list workbook: "导入名单.xls" in the folder of the running executable.
[[nodiscard]] QString nameListWorkbookPath();

} // namespace lotdraw
