#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace lotdraw {

// The small window that says what the program waits for while the spreadsheet application works,
// with a "取消" button. Its close button and Esc ask to cancel too; only the owner closes it.
class ProgressDialog final : public QDialog {
    Q_OBJECT

public:
    explicit ProgressDialog(QWidget *parent);
    Q_DISABLE_COPY_MOVE(ProgressDialog)

    void setText(const QString &text);
    void setCancelEnabled(bool enabled);

signals:
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    QLabel *m_text = nullptr;
    QPushButton *m_cancelButton = nullptr;
};

} // namespace lotdraw
