#pragma once

#include "event/event_record.h"

#include <QDate>
#include <QString>

// The texts of the printed record, each in one place, so that the layout and its tests use the same
// words.
namespace lotdraw::record_texts {

// "现场抽签　抽签记录": the program's name and what the sheet is, at the top of the first page.
[[nodiscard]] QString title();
// "现场抽签　抽签记录（续）　2026年3月5日": at the top of every later page, with the event's day.
[[nodiscard]] QString continuedTitle(QDate date);
// "日期：2026年3月5日"
[[nodiscard]] QString dateLine(QDate date);
// "名单文件：导入名单.xls"
[[nodiscard]] QString workbookLine(const QString &fileName);
// "导入时名单人数：99人"
[[nodiscard]] QString poolCountLine(int poolCount);
// What "保留" and "不保留" mean, under the facts of the event.
[[nodiscard]] QString keepLegend();
// "保留" or "不保留"
[[nodiscard]] QString keptText(bool kept);
// "第3次抽中"
[[nodiscard]] QString drawHeading(int drawNumber);
// "时间 14:03:27　第2个结果列表　保留　共10人"; the time with its date when the draw was stopped on
// another day than the event's (after midnight).
[[nodiscard]] QString drawDetails(const RecordedDraw &draw, QDate eventDate);
// "7." before the seventh name of a draw.
[[nodiscard]] QString nameNumber(int position);
// "以上共抽签3次，抽中30人次。"
[[nodiscard]] QString summary(int draws, int names);
// The labels of the lines to sign on: "操作员签名：", "见证人签名：", and "日期：" beside each.
[[nodiscard]] QString operatorSignature();
[[nodiscard]] QString witnessSignature();
[[nodiscard]] QString signatureDate();
// "第1页，共3页"
[[nodiscard]] QString pageNumber(int page, int pages);

} // namespace lotdraw::record_texts
