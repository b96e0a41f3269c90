#include "workbook/libreoffice_application.h"

#include "workbook/libreoffice_instance.h"
#include "workbook/office_process.h"
#include "workbook/office_profile.h"

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
            killOfficeProcessesWith(QStringLiteral("-env:UserInstallation=") +
                                    OfficeProfile(m_options.profileFolder).url());
        }
    }
    return officeProcessRuns();
}

std::unique_ptr<SpreadsheetInstance> LibreOfficeApplication::create() {
    return std::make_unique<LibreOfficeInstance>(m_options, &m_startAbort);
}

void OfficeStartAbort::abort() noexcept {
    const std::lock_guard lock(m_mutex);
    if (m_target) {
        m_target();
    }
}

OfficeStartAbort::Scope::Scope(OfficeStartAbort *slot, std::function<void()> target)
    : m_slot(slot) {
    if (m_slot != nullptr) {
        const std::lock_guard lock(m_slot->m_mutex);
        m_slot->m_target = std::move(target);
    }
}

OfficeStartAbort::Scope::~Scope() {
    if (m_slot != nullptr) {
        // Waits for an abort under way: the instance it acts on may go next.
        const std::lock_guard lock(m_slot->m_mutex);
        m_slot->m_target = nullptr;
    }
}

} // namespace lotdraw
