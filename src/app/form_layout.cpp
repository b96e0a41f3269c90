#include "app/form_layout.h"

#include <array>

namespace lotdraw {
namespace {

using Face = ControlPlace::Face;

constexpr std::array kLayout{
    // On the window, in front of the frames: the enlarged view and its close button.
    ControlPlace{"closeViewButton", {11640, 5760, 1215, 615}, Face::Song, 14.25, true},
    ControlPlace{"enlargedList", {120, 120, 12975, 6540}, Face::Song, 36, false},
    // The rolling display.
    ControlPlace{"displayFrame", {8520, 120, 4575, 2175}, Face::Song, 12, true},
    ControlPlace{"rollingDisplay", {240, 600, 3735, 975}, Face::Song, 42, true},
    // The draw settings; "结束" lies exactly behind "开始".
    ControlPlace{"settingsFrame", {3720, 120, 4695, 2175}, Face::Song, 12, true},
    ControlPlace{"startButton", {3240, 720, 1095, 855}, Face::Song, 12, true},
    ControlPlace{"removeOption", {2160, 1320, 495, 375}, Face::Song, 12, true},
    ControlPlace{"keepOption", {1320, 1320, 495, 375}, Face::Song, 12, true},
    ControlPlace{"stopButton", {3240, 720, 1095, 855}, Face::Song, 12, true},
    ControlPlace{"drawCountBox", {1560, 600, 975, 375}, Face::Song, 12, true},
    ControlPlace{"drawCountUnitLabel", {2640, 660, 285, 255}, Face::Song, 12, false},
    ControlPlace{"drawCountLabel", {120, 660, 1335, 255}, Face::Song, 12, false},
    ControlPlace{"keepChoiceLabel", {120, 1320, 975, 495}, Face::Song, 12, false},
    // The pool source.
    ControlPlace{"poolSourceFrame", {120, 120, 3495, 2175}, Face::Song, 12, true},
    ControlPlace{"editButton", {1800, 1080, 1455, 495}, Face::Song, 12, true},
    ControlPlace{"importButton", {1800, 360, 1455, 495}, Face::Song, 15, true},
    ControlPlace{"editLabel", {120, 1200, 1695, 375}, Face::Song, 12, true},
    ControlPlace{"importLabel", {120, 480, 1695, 375}, Face::Song, 12, true},
    // The results: five columns 2520 twips apart, a heading over a list and the buttons under it; a
    // result list's "导出" lies 1320 twips right of its "查看", the pool's "详情" right of its count.
    ControlPlace{"resultsFrame", {120, 2400, 12975, 4215}, Face::Song, 12, true},
    ControlPlace{"exportNotice", {2040, 0, 8295, 1455}, Face::Li, 36, true},
    ControlPlace{"exportButton4", {11520, 3600, 975, 375}, Face::Song, 12, true},
    ControlPlace{"exportButton3", {9000, 3600, 975, 375}, Face::Song, 12, true},
    ControlPlace{"exportButton2", {6480, 3600, 975, 375}, Face::Song, 12, true},
    ControlPlace{"exportButton1", {3960, 3600, 975, 375}, Face::Song, 12, true},
    ControlPlace{"viewButton4", {10200, 3600, 1095, 375}, Face::Song, 12, true},
    ControlPlace{"viewButton3", {7680, 3600, 1095, 375}, Face::Song, 12, true},
    ControlPlace{"viewButton2", {5160, 3600, 1095, 375}, Face::Song, 12, true},
    ControlPlace{"viewButton1", {2640, 3600, 975, 375}, Face::Song, 12, true},
    ControlPlace{"poolViewButton", {1560, 3600, 855, 375}, Face::Song, 12, true},
    ControlPlace{"poolList", {120, 840, 2295, 2670}, Face::Song, 12, false},
    ControlPlace{"resultList1", {2640, 840, 2295, 2670}, Face::Song, 12, false},
    ControlPlace{"resultList2", {5160, 840, 2295, 2670}, Face::Song, 12, false},
    ControlPlace{"resultList3", {7680, 840, 2295, 2670}, Face::Song, 12, false},
    ControlPlace{"resultList4", {10200, 840, 2295, 2670}, Face::Song, 12, false},
    ControlPlace{"poolCountLabel", {120, 3675, 1455, 375}, Face::Song, 12, true},
    ControlPlace{"poolHeading", {120, 480, 2295, 375}, Face::Song, 12, true},
    ControlPlace{"resultHeading1", {2640, 480, 2295, 375}, Face::Song, 12, true},
    ControlPlace{"resultHeading2", {5160, 480, 2295, 375}, Face::Song, 12, true},
    ControlPlace{"resultHeading3", {7680, 480, 2295, 375}, Face::Song, 12, true},
    ControlPlace{"resultHeading4", {10200, 480, 2295, 375}, Face::Song, 12, true},
};

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

} // namespace lotdraw
