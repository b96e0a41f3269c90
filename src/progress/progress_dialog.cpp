#include "progress/progress_dialog.h"

#include "build_info.h"

#include <QCloseEvent>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace lotdraw {

ProgressDialog::ProgressDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("progressDialog"));
    setWindowTitle(QString::fromUtf16(build_info::kProgramName));
    // Only the window it stands for waits; a message that comes up meanwhile can still be answered.
    setWindowModality(Qt::WindowModal);
    // The face and size of the main window's own texts.
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(12);
    setFont(font);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("progressText"));
    m_text->setMinimumWidth(400);
    m_text->setWordWrap(true);

    // No end is known in advance: the bar only shows that the program is alive.
    auto *bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("progressBar"));
    bar->setRange(0, 0);
    bar->setTextVisible(false);

    m_cancelButton = new QPushButton(QStringLiteral("取消"), this);
    m_cancelButton->setObjectName(QStringLiteral("progressCancelButton"));
    // Keys meant for the main window must not land on it: only a deliberate click (or Esc) stops.
    m_cancelButton->setFocusPolicy(Qt::NoFocus);
    m_cancelButton->setAutoDefault(false);
    m_cancelButton->setMinimumSize(96, 32);
    connect(m_cancelButton, &QPushButton::clicked, this, &ProgressDialog::cancelRequested);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancelButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(bar);
    layout->addLayout(buttons);
    // Every text fits the first size: the window never jumps while it shows.
    setFixedSize(sizeHint());
}

void ProgressDialog::setText(const QString &text) {
    m_text->setText(text);
}

void ProgressDialog::setCancelEnabled(bool enabled) {
    m_cancelButton->setEnabled(enabled);
}

void ProgressDialog::closeEvent(QCloseEvent *event) {
    event->ignore();
    reject();
}

void ProgressDialog::reject() {
    if (m_cancelButton->isEnabled()) {
        emit cancelRequested();
    }
}

} // namespace lotdraw
