#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <optional>
#include <span>

namespace lotdraw {

// Places are kept in twips (1/1440 inch); the normal window shows 15 twips to a pixel.
inline constexpr int kTwipsPerPixel = 15;
// The window's client area.
inline constexpr QSize kFormTwips{13230, 6720};
inline constexpr QSize kFormPixels{kFormTwips.width() / kTwipsPerPixel, kFormTwips.height() / kTwipsPerPixel};

// The controls of the window, front to back within each container. Each is described once, in the
// layout table; everything else refers to it by this name.
enum class Control {
    CloseViewButton,
    EnlargedList,
    DisplayFrame,
    RollingDisplay,
    SettingsFrame,
    StartButton,
    RemoveOption,
    KeepOption,
    StopButton,
    DrawCountBox,
    DrawCountUnitLabel,
    DrawCountLabel,
    KeepChoiceLabel,
    PoolSourceFrame,
    EditButton,
    ImportButton,
    EditLabel,
    ImportLabel,
    ResultsFrame,
    ExportNotice,
    ExportButton4,
    ExportButton3,
    ExportButton2,
    ExportButton1,
    ViewButton4,
    ViewButton3,
    ViewButton2,
    ViewButton1,
    PoolViewButton,
    PoolList,
    ResultList1,
    ResultList2,
    ResultList3,
    ResultList4,
    PoolCountLabel,
    PoolHeading,
    ResultHeading1,
    ResultHeading2,
    ResultHeading3,
    ResultHeading4,
};
inline constexpr int kControlCount = static_cast<int>(Control::ResultHeading4) + 1;

// Of list 0 (the pool) or result list 1..4: the list, the heading over it and the button that
// opens the enlarged view on it; of result list 1..4 also its "导出".
[[nodiscard]] constexpr Control listControl(int list) {
    return static_cast<Control>(static_cast<int>(Control::PoolList) + list);
}
[[nodiscard]] constexpr Control headingControl(int list) {
    return static_cast<Control>(static_cast<int>(Control::PoolHeading) + list);
}
[[nodiscard]] constexpr Control viewButtonControl(int list) {
    return static_cast<Control>(static_cast<int>(Control::PoolViewButton) - list);
}
[[nodiscard]] constexpr Control exportButtonControl(int list) {
    return static_cast<Control>(static_cast<int>(Control::ExportButton1) + 1 - list);
}

// One control of the window as it opens: what it is, where it lies and in which font, its caption
// and its place in the tab order, as laid out for the normal window.
struct ControlPlace {
    enum class Kind { Frame, Label, Button, Option, NumberBox, List };
    enum class Face { Song, Li }; // "宋体", "隶书"

    Control control;
    const char *name; // the objectName
    Kind kind;
    std::optional<Control> container; // a frame, or none for the window itself
    const char16_t *caption;
    QRect twips; // Left, Top, Width, Height from the top-left corner of its container
    Face face;
    qreal points;
    bool bold;
    int tab; // frames and labels hold places in the tab order too, but never take the focus
    Qt::Alignment alignment = {};
    bool shown = true;

    // The font, its size multiplied by `scale`. Asked for by its Windows name; skin/fonts.cpp maps
    // it onto an installed face.
    [[nodiscard]] QFont font(qreal scale = 1.0) const;
};

// Every control of the window, in the order of Control.
[[nodiscard]] std::span<const ControlPlace> formLayout();
[[nodiscard]] const ControlPlace &placeOf(Control control);

} // namespace lotdraw
