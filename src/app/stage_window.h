#pragma once

#include "app/stage_layout.h"
#include "app/stage_model.h"

#include <QWidget>
#include <vector>

class QLabel;
class QScreen;

namespace lotdraw {

// The stage: a borderless window over one whole screen that shows the hall a scene in large type
// on a plain background. Each text is a label of its own, so a screen reader reads it as it reads
// the form's labels. It only shows what it is given; arrangeStage() decides where and how large.
class StageWindow final : public QWidget {
    Q_OBJECT

public:
    // A window of its own that stays with `owner`: it closes with it, and window managers keep it
    // in front of it.
    explicit StageWindow(QWidget *owner);
    Q_DISABLE_COPY_MOVE(StageWindow)

    void setLook(const StageLook &look);
    void setScene(const StageScene &scene);
    [[nodiscard]] const StageScene &scene() const { return m_scene; }
    // All black, with no text, as a presenter's "black screen" asks; the scene it is given meanwhile
    // shows once it is no longer blank.
    void setBlank(bool blank);
    [[nodiscard]] bool isBlank() const { return m_blank; }

    // Covers `screen` whole. `takeFocus`: whether the stage becomes the active window; where it
    // leaves the operator's window in view, the keyboard stays there.
    void showOn(QScreen *screen, bool takeFocus);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrange();
    void paintBackground();
    [[nodiscard]] QLabel *label(std::size_t index);

    StageLook m_look;
    StageScene m_scene;
    bool m_blank = false;
    std::vector<QLabel *> m_labels;
};

} // namespace lotdraw
