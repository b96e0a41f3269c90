#include "support/x_display.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTest>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>

namespace lotdraw::testing {
namespace {

// A connection for looking at and poking other programs' windows, any of which may close at any
// moment. The errors that a gone window causes (BadWindow in the middle of a read, say) are expected
// here: while the connection is open they are ignored, and the call that met one returns its failure,
// instead of Xlib's default handler ending the process. Xlib has one error handler per process; the
// previous one comes back once the connection has closed and its last replies have arrived.
class XConnection final {
public:
    explicit XConnection(const QString &name)
        : m_display(XOpenDisplay(name.toLocal8Bit().constData()))
        , m_previousHandler(XSetErrorHandler(&ignoreError)) {}
    ~XConnection() {
        if (m_display != nullptr) {
            XCloseDisplay(m_display); // waits for the replies, so their errors land here
        }
        XSetErrorHandler(m_previousHandler);
    }
    XConnection(const XConnection &) = delete;
    XConnection &operator=(const XConnection &) = delete;

    [[nodiscard]] Display *get() const { return m_display; }
    explicit operator bool() const { return m_display != nullptr; }

private:
    static int ignoreError(Display *, XErrorEvent *) { return 0; }

    Display *m_display;
    XErrorHandler m_previousHandler;
};

QString titleOf(Display *display, Window window) {
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    QString title;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &items, &after, &data) ==
            Success &&
        data != nullptr) {
        title = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(items));
    }
    if (data != nullptr) {
        XFree(data);
    }
    if (title.isEmpty()) {
        // WM_NAME, which an office without a desktop around it may set in COMPOUND_TEXT.
        XTextProperty property{};
        if (XGetWMName(display, window, &property) != 0 && property.value != nullptr) {
            char **list = nullptr;
            int count = 0;
            if (Xutf8TextPropertyToTextList(display, &property, &list, &count) >= Success && count > 0 &&
                list != nullptr) {
                title = QString::fromUtf8(list[0]);
            }
            if (list != nullptr) {
                XFreeStringList(list);
            }
            XFree(property.value);
        }
    }
    return title;
}

} // namespace

XvfbDisplay::XvfbDisplay()
    : m_previousDisplay(qgetenv("DISPLAY")) {
    // Start at a random number, so that test runs of several people on one machine rarely reach
    // for the same display at the same moment.
    const int first = 300 + static_cast<int>(QRandomGenerator::global()->bounded(200));
    for (int number = first; number < first + 50 && !m_running; ++number) {
        if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)) ||
            QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number))) {
            continue;
        }
        m_name = QStringLiteral(":%1").arg(number);
        // Xvfb writes the number to its output once it takes connections; it ends at once when
        // another server has taken the number meanwhile. A start on a busy machine may be slow.
        m_server.start(QStringLiteral("Xvfb"),
                       {m_name, QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
        if (!m_server.waitForStarted()) {
            return; // no Xvfb here
        }
        while (!m_server.canReadLine() && m_server.waitForReadyRead(60'000)) {
        }
        m_running = m_server.canReadLine();
        if (!m_running && m_server.state() == QProcess::Running) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }
    if (m_running) {
        qputenv("DISPLAY", m_name.toLocal8Bit());
    }
}

XvfbDisplay::~XvfbDisplay() {
    if (m_server.state() == QProcess::Running) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished();
        }
    }
    if (m_previousDisplay.isNull()) {
        qunsetenv("DISPLAY");
    } else {
        qputenv("DISPLAY", m_previousDisplay);
    }
}

QList<unsigned long> XvfbDisplay::topLevelWindows() const {
    QList<unsigned long> result;
    const XConnection display(m_name);
    Window root = 0;
    Window parent = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!display ||
        XQueryTree(display.get(), DefaultRootWindow(display.get()), &root, &parent, &children, &count) == 0) {
        return result;
    }
    for (unsigned int i = 0; i < count; ++i) {
        result.append(children[i]);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return result;
}

QList<unsigned long> XvfbDisplay::windowsTitled(const QString &text, const QList<unsigned long> &windows) const {
    QList<unsigned long> result;
    const XConnection display(m_name);
    for (const unsigned long window : windows) {
        XWindowAttributes attributes{};
        if (display && XGetWindowAttributes(display.get(), window, &attributes) != 0 &&
            attributes.map_state == IsViewable && titleOf(display.get(), window).contains(text)) {
            result.append(window);
        }
    }
    return result;
}

unsigned long XvfbDisplay::selectionOwner(const char *selection) const {
    const XConnection display(m_name);
    return display ? XGetSelectionOwner(display.get(), XInternAtom(display.get(), selection, False)) : 0;
}

void XvfbDisplay::requestClose(unsigned long window) const {
    const XConnection display(m_name);
    if (!display) {
        return;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display.get(), window, False, NoEventMask, &event);
    XFlush(display.get());
}

void XvfbDisplay::focus(unsigned long window) const {
    const XConnection display(m_name);
    XWindowAttributes attributes{};
    if (!display || XGetWindowAttributes(display.get(), window, &attributes) == 0) {
        return;
    }
    XTestFakeMotionEvent(display.get(), -1, attributes.x + attributes.width / 2, attributes.y + attributes.height / 2,
                         CurrentTime);
    // The keyboard follows the pointer, so a dialog that opens over the window takes the keys too.
    XSetInputFocus(display.get(), PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display.get(), False);
}

void XvfbDisplay::pressKey(const char *keysym, bool withControl) const {
    const XConnection display(m_name);
    if (!display) {
        return;
    }
    const KeyCode control = XKeysymToKeycode(display.get(), XK_Control_L);
    const KeyCode key = XKeysymToKeycode(display.get(), XStringToKeysym(keysym));
    // Each press is held back a millisecond in the server, so that it never bears the time of the
    // release before it: Calc takes a release and a press at one time for the key's auto-repeat, and
    // a key pressed twice in a row would count once.
    constexpr unsigned long kLater = 1;
    if (withControl) {
        XTestFakeKeyEvent(display.get(), control, True, kLater);
    }
    XTestFakeKeyEvent(display.get(), key, True, kLater);
    XTestFakeKeyEvent(display.get(), key, False, CurrentTime);
    if (withControl) {
        XTestFakeKeyEvent(display.get(), control, False, CurrentTime);
    }
    XSync(display.get(), False);
}

bool XvfbDisplay::pressKeyUntil(const char *keysym, bool withControl, const std::function<bool()> &done,
                                int timeoutMs) const {
    const QDeadlineTimer deadline(timeoutMs);
    for (int interval = 100; !deadline.hasExpired(); interval = std::min(2 * interval, 2000)) {
        pressKey(keysym, withControl);
        if (QTest::qWaitFor(done, static_cast<int>(std::min<qint64>(interval, deadline.remainingTime())))) {
            return true;
        }
    }
    return done();
}

void XvfbDisplay::typeText(const QString &text) const {
    for (const QChar c : text) {
        const QByteArray name = QString(c).toLatin1();
        pressKey(name.constData());
    }
}

bool XvfbDisplay::screenshot(const QString &path) const {
    return QProcess::execute(QStringLiteral("import"), {QStringLiteral("-display"), m_name, QStringLiteral("-window"),
                                                        QStringLiteral("root"), path}) == 0;
}

FreshOfficeHome::FreshOfficeHome()
    : m_previousHome(qgetenv("HOME"))
    , m_previousConfigHome(qgetenv("XDG_CONFIG_HOME")) {
    const QString user = m_home.filePath(QStringLiteral(".config/libreoffice/4/user"));
    QDir().mkpath(user);
    QFile settings(user + QStringLiteral("/registrymodifications.xcu"));
    if (settings.open(QIODevice::WriteOnly)) {
        settings.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Setup/Office"><prop oor:name="FirstStartWizardCompleted" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Setup/Product"><prop oor:name="ooSetupLastVersion" oor:op="fuse"><value>7.4</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="FirstRun" oor:op="fuse"><value>false</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Misc"><prop oor:name="ShowTipOfTheDay" oor:op="fuse"><value>false</value></prop></item>
</oor:items>
)");
    }
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_home.filePath(QStringLiteral(".config")).toLocal8Bit());
}

FreshOfficeHome::~FreshOfficeHome() {
    qputenv("HOME", m_previousHome);
    if (m_previousConfigHome.isNull()) {
        qunsetenv("XDG_CONFIG_HOME");
    } else {
        qputenv("XDG_CONFIG_HOME", m_previousConfigHome);
    }
}

} // namespace lotdraw::testing
