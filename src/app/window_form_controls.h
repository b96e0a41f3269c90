#pragma once

#include "app/form_widgets.h"
#include "state/form_controls.h"

#include <QObject>
#include <QPointer>

class QTimer;

namespace lotdraw {

class SpreadsheetProgress;

// FormControls over the window's widgets: the number box, "开始" and "结束", the rolling display and
// its timer, the enlarged view, the export notice and the busy cursor. Tells the stage what the
// rolling display shows.
class WindowFormControls final
    : public QObject
    , public FormControls {
    Q_OBJECT

public:
    WindowFormControls(QWidget &window, FormWidgets &widgets, SpreadsheetProgress &progress);
    Q_DISABLE_COPY_MOVE(WindowFormControls)

    [[nodiscard]] QTimer &rollTimer() const { return *m_rollTimer; }
    [[nodiscard]] bool isEnlargedListOpen() const;

    [[nodiscard]] QString numberText() const override;
    void setNumberText(const QString &text) override;
    void setStartVisible(bool visible) override;
    void setStopVisible(bool visible) override;
    void focusStart() override;
    void focusStop() override;
    [[nodiscard]] int timerInterval() const override;
    void setTimerInterval(int milliseconds) override;
    void setRollingText(const QString &text) override;
    // While the enlarged view is open the controls under it take neither the focus nor a key: Tab
    // goes between the list and "关闭" only. Closing it gives the focus back where it was.
    void showEnlargedList(const QStringList &lines) override;
    void closeEnlargedList() override;
    // The notice takes the focus, so that the key after an export closes it instead of pressing
    // "导出" again; closed, it gives the focus back.
    void setExportNoticeVisible(bool visible) override;
    void setBusy(bool busy) override;

signals:
    void rollingTextChanged(const QString &text);
    void rollingChanged(bool rolling); // the roll timer started or stopped

private:
    void setCoveredControlsEnabled(bool enabled);
    // Gives `widget` the focus back if the operator could still reach it.
    void restoreFocus(QWidget *widget);

    QWidget &m_window;
    FormWidgets &m_widgets;
    SpreadsheetProgress &m_progress;
    QTimer *m_rollTimer;
    // Where the focus was when the enlarged view or the export notice opened, to go back there.
    QPointer<QWidget> m_focusBeforeView;
    QPointer<QWidget> m_focusBeforeNotice;
};

} // namespace lotdraw
