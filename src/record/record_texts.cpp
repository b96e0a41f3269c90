#include "record/record_texts.h"

#include "build_info.h"
#include "event/event_model.h"

namespace lotdraw::record_texts {
namespace {

const QString kGap = QStringLiteral("　"); // an ideographic space between the parts of a line

QString dateText(QDate date) {
    return QStringLiteral("%1年%2月%3日").arg(date.year()).arg(date.month()).arg(date.day());
}

} // namespace

QString title() {
    return QString::fromUtf16(build_info::kProgramName) + kGap + QStringLiteral("抽签记录");
}

QString continuedTitle(QDate date) {
    return title() + QStringLiteral("（续）") + kGap + dateText(date);
}

QString dateLine(QDate date) {
    return QStringLiteral("日期：") + dateText(date);
}

QString workbookLine(const QString &fileName) {
    return QStringLiteral("名单文件：") + fileName;
}

QString poolCountLine(int poolCount) {
    return QStringLiteral("导入时名单人数：%1人").arg(poolCount);
}

QString keepLegend() {
    return QStringLiteral("“保留”：抽中的姓名留在名单中，以后还可能再被抽中；“不保留”：抽中的姓名已移出名单。");
}

QString keptText(bool kept) {
    return kept ? QStringLiteral("保留") : QStringLiteral("不保留");
}

QString drawHeading(int drawNumber) {
    return EventModel::headingFor(drawNumber);
}

QString drawDetails(const RecordedDraw &draw, QDate eventDate) {
    const QString time = draw.stoppedAt.toString(QStringLiteral("HH:mm:ss"));
    const QString when = draw.stoppedAt.date() == eventDate ? time : dateText(draw.stoppedAt.date()) + u' ' + time;
    return QStringLiteral("时间 ") + when + kGap + QStringLiteral("第%1个结果列表").arg(draw.resultList) + kGap +
           keptText(draw.kept) + kGap + QStringLiteral("共%1人").arg(draw.names.size());
}

QString nameNumber(int position) {
    return QStringLiteral("%1.").arg(position);
}

QString summary(int draws, int names) {
    return QStringLiteral("以上共抽签%1次，抽中%2人次。").arg(draws).arg(names);
}

QString operatorSignature() {
    return QStringLiteral("操作员签名：");
}

QString witnessSignature() {
    return QStringLiteral("见证人签名：");
}

QString signatureDate() {
    return QStringLiteral("日期：");
}

QString pageNumber(int page, int pages) {
    return QStringLiteral("第%1页，共%2页").arg(page).arg(pages);
}

} // namespace lotdraw::record_texts
