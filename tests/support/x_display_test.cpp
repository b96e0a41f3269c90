#include "support/x_display.h"

#include <QTest>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <memory>

using namespace lotdraw::testing;

// The display helpers look at other programs' windows, which may close between being listed and
// being read: such a window is skipped, and its X error does not end the test process.
class XDisplayTest : public QObject {
    Q_OBJECT

private slots:
    void windowThatClosesAfterListingIsSkipped();
};

void XDisplayTest::windowThatClosesAfterListingIsSkipped() {
    const XvfbDisplay display;
    if (!display.isRunning()) {
        QSKIP("needs Xvfb; it could not be started");
    }
    // Another program's windows, on a connection of its own.
    const std::unique_ptr<Display, int (*)(Display *)> client(XOpenDisplay(qPrintable(display.name())), &XCloseDisplay);
    QVERIFY(client);
    const auto showWindow = [&client](const char *title) {
        const Window window =
            XCreateSimpleWindow(client.get(), DefaultRootWindow(client.get()), 0, 0, 200, 100, 0, 0, 0);
        XStoreName(client.get(), window, title);
        XMapWindow(client.get(), window);
        return window;
    };
    const Window kept = showWindow("lotdraw kept");
    const Window gone = showWindow("lotdraw gone");
    XSync(client.get(), False);
    const QList<unsigned long> listed = display.topLevelWindows();
    QVERIFY(listed.contains(gone));

    XDestroyWindow(client.get(), gone);
    XSync(client.get(), False);

    QCOMPARE(display.windowsTitled(QStringLiteral("lotdraw"), listed), QList<unsigned long>{kept});
    display.focus(gone);
    display.requestClose(gone);
    QCOMPARE(display.windowsTitled(QStringLiteral("lotdraw")), QList<unsigned long>{kept});
}

QTEST_GUILESS_MAIN(XDisplayTest)
#include "x_display_test.moc"
