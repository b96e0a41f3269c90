#pragma once

#include <QString>

namespace lotdraw {

// The private profile folder that our automation instances run on, never the user's own. It is
// seeded once so that starts skip LibreOffice's first-run work (about 0.7 s on every start) and so
// that a killed instance leaves no recovery data behind.
class OfficeProfile final {
public:
    explicit OfficeProfile(QString folder);

    [[nodiscard]] const QString &folder() const noexcept { return m_folder; }
    // The file URL passed to soffice as -env:UserInstallation; it also marks our processes.
    [[nodiscard]] QString url() const;
    // Creates the folder and writes the seed when it is missing. Throws SpreadsheetError.
    void ensureSeeded(const QString &officeProgramFolder) const;

private:
    QString m_folder;
};

// The one automation instance at a time: an exclusive lock on a file in the profile folder, held
// while an instance lives. It is tied to an open file, so a crashed program frees it at once.
class AutomationLock final {
public:
    // Takes the lock if it is free; `held()` says whether it was.
    explicit AutomationLock(const QString &profileFolder);
    ~AutomationLock();
    AutomationLock(const AutomationLock &) = delete;
    AutomationLock &operator=(const AutomationLock &) = delete;
    AutomationLock(AutomationLock &&) = delete;
    AutomationLock &operator=(AutomationLock &&) = delete;

    [[nodiscard]] bool held() const noexcept { return m_fd >= 0; }
    // True when the lock file could not even be opened (the folder cannot be made, say).
    [[nodiscard]] bool unavailable() const noexcept { return m_unavailable; }
    void release() noexcept;

private:
    int m_fd = -1;
    bool m_unavailable = false;
};

} // namespace lotdraw
