#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <functional>

namespace lotdraw::testing {

// A private X server for tests that need real windows: Xvfb on the first free display number,
// made the DISPLAY of this process (and so of every process it starts) for the object's lifetime.
class XvfbDisplay final {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay &) = delete;
    XvfbDisplay &operator=(const XvfbDisplay &) = delete;

    [[nodiscard]] bool isRunning() const { return m_running; }
    [[nodiscard]] QString name() const { return m_name; }

    // The windows of other programs may close at any moment: every call below skips or ignores a
    // window that has gone, and an X error it causes never ends the test.

    // Top-level windows, shown or not.
    [[nodiscard]] QList<unsigned long> topLevelWindows() const;
    // Those of `windows` that still show and whose title contains `text`.
    [[nodiscard]] QList<unsigned long> windowsTitled(const QString &text, const QList<unsigned long> &windows) const;
    [[nodiscard]] QList<unsigned long> windowsTitled(const QString &text) const {
        return windowsTitled(text, topLevelWindows());
    }
    // The window that owns the selection named `selection` ("CLIPBOARD"); 0 when none does.
    [[nodiscard]] unsigned long selectionOwner(const char *selection) const;
    // Asks a window to close, as its close button would (WM_DELETE_WINDOW).
    void requestClose(unsigned long window) const;
    // Puts the pointer over the middle of `window` and lets the keyboard follow the pointer.
    void focus(unsigned long window) const;
    // Presses and releases one key, named as X names key symbols ("Return", "Down", "s"), with
    // Control held when asked. The X server has taken it on return; the window reads it in turn.
    void pressKey(const char *keysym, bool withControl = false) const;
    // Presses the key again, at growing intervals, until `done` holds or `timeoutMs` has passed: for
    // a window that takes keys only some moment after it shows. True when `done` came to hold.
    bool pressKeyUntil(const char *keysym, bool withControl, const std::function<bool()> &done, int timeoutMs) const;
    // Types lower-case ASCII letters and digits.
    void typeText(const QString &text) const;
    // Writes a picture of the whole screen to `path`.
    bool screenshot(const QString &path) const;

private:
    QProcess m_server;
    QString m_name;
    QByteArray m_previousDisplay;
    bool m_running = false;
};

// A fresh HOME (and XDG_CONFIG_HOME, which the office prefers) for the lifetime of the object, so
// that an office started for "the user" runs on a profile of the test's and never on the real
// user's. The profile is seeded so that a visible office opens straight onto the document: no
// first-run wizard, no tip of the day.
class FreshOfficeHome final {
public:
    FreshOfficeHome();
    ~FreshOfficeHome();
    FreshOfficeHome(const FreshOfficeHome &) = delete;
    FreshOfficeHome &operator=(const FreshOfficeHome &) = delete;

    [[nodiscard]] QString path() const { return m_home.path(); }

private:
    QTemporaryDir m_home;
    QByteArray m_previousHome;
    QByteArray m_previousConfigHome;
};

} // namespace lotdraw::testing
