#include "skin/skin.h"

#include <QApplication>
#include <QFile>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

// The style sheet lives in this static library; its resources must be registered by hand.
static void initSkinResources() {
    Q_INIT_RESOURCE(skin);
}

namespace lotdraw {
namespace {

QPalette skinPalette() {
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0xF3, 0xF5, 0xF9));
    palette.setColor(QPalette::WindowText, QColor(0x1F, 0x29, 0x37));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xEE, 0xF2, 0xF7));
    palette.setColor(QPalette::Text, QColor(0x11, 0x18, 0x27));
    palette.setColor(QPalette::Button, QColor(0xE8, 0xEE, 0xF6));
    palette.setColor(QPalette::ButtonText, QColor(0x1F, 0x29, 0x37));
    palette.setColor(QPalette::Highlight, QColor(0x25, 0x63, 0xEB));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFB, 0xE6));
    palette.setColor(QPalette::ToolTipText, QColor(0x1F, 0x29, 0x37));
    return palette;
}

} // namespace

int attachSkin() noexcept {
    try {
        initSkinResources();
        auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
        if (app == nullptr) {
            return 1;
        }
        if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion"))) {
            QApplication::setStyle(fusion);
        }
        QApplication::setPalette(skinPalette());

        QFile sheet(QStringLiteral(":/skin/lotdraw.qss"));
        if (!sheet.open(QIODevice::ReadOnly | QIODevice::Text)) {
            return 1;
        }
        app->setStyleSheet(QString::fromUtf8(sheet.readAll()));
        return 0;
    } catch (...) {
        return 1;
    }
}

} // namespace lotdraw
