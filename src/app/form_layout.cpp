#include "app/form_layout.h"

#include <array>

namespace lotdraw {
namespace {

using Face = ControlPlace::Face;
using Kind = ControlPlace::Kind;
using enum Control;

constexpr Qt::Alignment kCentred = Qt::AlignCenter;
constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignVCenter;

constexpr ControlPlace frame(Control control, const char *name, const char16_t *caption, QRect twips, int tab) {
    return {control, name, Kind::Frame, std::nullopt, caption, twips, Face::Song, 12, true, tab};
}

constexpr ControlPlace button(Control control, const char *name, Control in, const char16_t *caption, QRect twips,
                              int tab, qreal points = 12) {
    return {control, name, Kind::Button, in, caption, twips, Face::Song, points, true, tab};
}

constexpr ControlPlace label(Control control, const char *name, Control in, const char16_t *caption, QRect twips,
                             int tab, Qt::Alignment alignment, bool bold = true) {
    return {control, name, Kind::Label, in, caption, twips, Face::Song, 12, bold, tab, alignment};
}

constexpr ControlPlace list(Control control, const char *name, QRect twips, int tab) {
    return {control, name, Kind::List, ResultsFrame, u"", twips, Face::Song, 12, false, tab};
}

constexpr ControlPlace hidden(ControlPlace place) {
    place.shown = false;
    return place;
}

constexpr std::array kLayout{
    // On the window, in front of the frames: the enlarged view and its close button.
    hidden({CloseViewButton,
            "closeViewButton",
            Kind::Button,
            std::nullopt,
            u"关闭",
            {11640, 5760, 1215, 615},
            Face::Song,
            14.25,
            true,
            34}),
    hidden({EnlargedList,
            "enlargedList",
            Kind::List,
            std::nullopt,
            u"",
            {120, 120, 12975, 6540},
            Face::Song,
            36,
            false,
            33}),
    // The rolling display.
    frame(DisplayFrame, "displayFrame", u"随机抽取显示窗口：", {8520, 120, 4575, 2175}, 18),
    ControlPlace{RollingDisplay,
                 "rollingDisplay",
                 Kind::Label,
                 DisplayFrame,
                 u"",
                 {240, 600, 3735, 975},
                 Face::Song,
                 42,
                 true,
                 19,
                 kCentred},
    // The draw settings; "结束" lies exactly behind "开始".
    frame(SettingsFrame, "settingsFrame", u"抽取设置：", {3720, 120, 4695, 2175}, 13),
    button(StartButton, "startButton", SettingsFrame, u"开始", {3240, 720, 1095, 855}, 35),
    ControlPlace{RemoveOption,
                 "removeOption",
                 Kind::Option,
                 SettingsFrame,
                 u"否",
                 {2160, 1320, 495, 375},
                 Face::Song,
                 12,
                 true,
                 31},
    ControlPlace{
        KeepOption, "keepOption", Kind::Option, SettingsFrame, u"是", {1320, 1320, 495, 375}, Face::Song, 12, true, 30},
    button(StopButton, "stopButton", SettingsFrame, u"结束", {3240, 720, 1095, 855}, 25),
    ControlPlace{DrawCountBox,
                 "drawCountBox",
                 Kind::NumberBox,
                 SettingsFrame,
                 u"",
                 {1560, 600, 975, 375},
                 Face::Song,
                 12,
                 true,
                 16},
    label(DrawCountUnitLabel, "drawCountUnitLabel", SettingsFrame, u"", {2640, 660, 285, 255}, 17, kLeft, false),
    label(DrawCountLabel, "drawCountLabel", SettingsFrame, u"抽取值：", {120, 660, 1335, 255}, 15, kCentred, false),
    label(KeepChoiceLabel, "keepChoiceLabel", SettingsFrame, u"抽取后是否保留", {120, 1320, 975, 495}, 14, kCentred,
          false),
    // The pool source.
    frame(PoolSourceFrame, "poolSourceFrame", u"抽签对象设置：", {120, 120, 3495, 2175}, 11),
    button(EditButton, "editButton", PoolSourceFrame, u"打开EXCEL", {1800, 1080, 1455, 495}, 39),
    button(ImportButton, "importButton", PoolSourceFrame, u"确定", {1800, 360, 1455, 495}, 12, 15),
    label(EditLabel, "editLabel", PoolSourceFrame, u"编辑抽签对象", {120, 1200, 1695, 375}, 38, kLeft),
    label(ImportLabel, "importLabel", PoolSourceFrame, u"导入抽签对象", {120, 480, 1695, 375}, 37, kLeft),
    // The results: five columns 2520 twips apart, a heading over a list and the buttons under it; a
    // result list's "导出" lies 1320 twips right of its "查看", the pool's "详情" right of its count.
    frame(ResultsFrame, "resultsFrame", u"抽签结果显示：", {120, 2400, 12975, 4215}, 0),
    hidden({ExportNotice,
            "exportNotice",
            Kind::Button,
            ResultsFrame,
            u"导出到EXCEL结束！",
            {2040, 0, 8295, 1455},
            Face::Li,
            36,
            true,
            32}),
    button(ExportButton4, "exportButton4", ResultsFrame, u"导出", {11520, 3600, 975, 375}, 29),
    button(ExportButton3, "exportButton3", ResultsFrame, u"导出", {9000, 3600, 975, 375}, 28),
    button(ExportButton2, "exportButton2", ResultsFrame, u"导出", {6480, 3600, 975, 375}, 27),
    button(ExportButton1, "exportButton1", ResultsFrame, u"导出", {3960, 3600, 975, 375}, 26),
    button(ViewButton4, "viewButton4", ResultsFrame, u"查看", {10200, 3600, 1095, 375}, 24),
    button(ViewButton3, "viewButton3", ResultsFrame, u"查看", {7680, 3600, 1095, 375}, 23),
    button(ViewButton2, "viewButton2", ResultsFrame, u"查看", {5160, 3600, 1095, 375}, 22),
    button(ViewButton1, "viewButton1", ResultsFrame, u"查看", {2640, 3600, 975, 375}, 21),
    button(PoolViewButton, "poolViewButton", ResultsFrame, u"详情", {1560, 3600, 855, 375}, 20),
    list(PoolList, "poolList", {120, 840, 2295, 2670}, 5),
    list(ResultList1, "resultList1", {2640, 840, 2295, 2670}, 4),
    list(ResultList2, "resultList2", {5160, 840, 2295, 2670}, 3),
    list(ResultList3, "resultList3", {7680, 840, 2295, 2670}, 2),
    list(ResultList4, "resultList4", {10200, 840, 2295, 2670}, 1),
    label(PoolCountLabel, "poolCountLabel", ResultsFrame, u"", {120, 3675, 1455, 375}, 36, kCentred),
    // The headings of the result lists show the event's; see FormEventView.
    label(PoolHeading, "poolHeading", ResultsFrame, u"被抽名单：", {120, 480, 2295, 375}, 10, kCentred),
    label(ResultHeading1, "resultHeading1", ResultsFrame, u"", {2640, 480, 2295, 375}, 9, kCentred),
    label(ResultHeading2, "resultHeading2", ResultsFrame, u"", {5160, 480, 2295, 375}, 8, kCentred),
    label(ResultHeading3, "resultHeading3", ResultsFrame, u"", {7680, 480, 2295, 375}, 7, kCentred),
    label(ResultHeading4, "resultHeading4", ResultsFrame, u"", {10200, 480, 2295, 375}, 6, kCentred),
};
static_assert(kLayout.size() == kControlCount);

constexpr bool inControlOrder() {
    for (std::size_t i = 0; i < kLayout.size(); ++i) {
        if (static_cast<std::size_t>(kLayout[i].control) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inControlOrder(), "the layout lists the controls in the order of Control");

} // namespace

QFont ControlPlace::font(qreal scale) const {
    QFont result(face == Face::Li ? QStringLiteral("隶书") : QStringLiteral("宋体"));
    result.setPointSizeF(points * scale);
    result.setBold(bold);
    return result;
}

std::span<const ControlPlace> formLayout() {
    return kLayout;
}

const ControlPlace &placeOf(Control control) {
    return kLayout.at(static_cast<std::size_t>(control));
}

} // namespace lotdraw
