#include "office/libreoffice_application.h"

#include "office/libreoffice_instance.h"
#include "office/office_processes.h"
#include "office/office_profile.h"

#include <QStandardPaths>

namespace lotdraw {

namespace {

LibreOfficeOptions withDefaults(LibreOfficeOptions options) {
    if (options.profileFolder.isEmpty()) {
        options.profileFolder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                                QStringLiteral("/lotdraw/office-profile");
    }
    return options;
}

} // namespace

LibreOfficeApplication::LibreOfficeApplication()
    : LibreOfficeApplication(LibreOfficeOptions{}) {}

LibreOfficeApplication::LibreOfficeApplication(LibreOfficeOptions options)
    : m_options(withDefaults(std::move(options))) {}

bool LibreOfficeApplication::isRunning() {
    {
        const AutomationLock lock(m_options.profileFolder);
        if (lock.held()) {
            endOfficeProcessesWith(QStringLiteral("-env:UserInstallation=") +
                                       OfficeProfile(m_options.profileFolder).url(),
                                   m_options.killTimeout);
        }
    }
    return officeProcessRuns();
}

std::unique_ptr<SpreadsheetInstance> LibreOfficeApplication::create(const CancellationToken &cancel) {
    return std::make_unique<LibreOfficeInstance>(m_options, cancel);
}

} // namespace lotdraw
