#include "office/office_profile.h"

#include "office/office_messages.h"
#include "spreadsheet/spreadsheet.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUrl>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace lotdraw {

namespace {

// The installed version as "major.minor", read from the office's own configuration defaults.
QString installedVersion(const QString &officeProgramFolder) {
    QFile file(officeProgramFolder + QStringLiteral("/../share/registry/main.xcd"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression pattern(
        QStringLiteral(R"(oor:name="ooSetupVersion"[^>]*>\s*<value>([0-9]+\.[0-9]+)</value>)"));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString seedText(const QString &version) {
    QString items;
    const auto item = [&items](const QString &path, const QString &property, const QString &value) {
        items += QStringLiteral("<item oor:path=\"%1\"><prop oor:name=\"%2\" oor:op=\"fuse\">"
                                "<value>%3</value></prop></item>\n")
                     .arg(path, property, value);
    };
    if (!version.isEmpty()) {
        item(QStringLiteral("/org.openoffice.Setup/Product"), QStringLiteral("ooSetupLastVersion"), version);
    }
    item(QStringLiteral("/org.openoffice.Setup/Office"), QStringLiteral("FirstStartWizardCompleted"),
         QStringLiteral("true"));
    item(QStringLiteral("/org.openoffice.Office.Common/Misc"), QStringLiteral("FirstRun"), QStringLiteral("false"));
    item(QStringLiteral("/org.openoffice.Office.Common/Misc"), QStringLiteral("ShowTipOfTheDay"),
         QStringLiteral("false"));
    // A killed automation instance must not leave recovery data that a later start would offer.
    item(QStringLiteral("/org.openoffice.Office.Recovery/AutoSave"), QStringLiteral("Enabled"),
         QStringLiteral("false"));
    item(QStringLiteral("/org.openoffice.Office.Recovery/RecoveryInfo"), QStringLiteral("Enabled"),
         QStringLiteral("false"));
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
                          "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
                          "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n") +
           items + QStringLiteral("</oor:items>\n");
}

} // namespace

OfficeProfile::OfficeProfile(QString folder)
    : m_folder(std::move(folder)) {}

QString OfficeProfile::url() const {
    return QUrl::fromLocalFile(m_folder).toString(QUrl::FullyEncoded);
}

void OfficeProfile::ensureSeeded(const QString &officeProgramFolder) const {
    const QString userFolder = m_folder + QStringLiteral("/user");
    const QString seedPath = userFolder + QStringLiteral("/registrymodifications.xcu");
    if (QFile::exists(seedPath)) {
        return;
    }
    if (!QDir().mkpath(userFolder)) {
        throw SpreadsheetError(office_messages::cannotStart(
            QStringLiteral("无法创建配置文件夹 %1").arg(QDir::toNativeSeparators(userFolder))));
    }
    QSaveFile seed(seedPath);
    if (!seed.open(QIODevice::WriteOnly) || seed.write(seedText(installedVersion(officeProgramFolder)).toUtf8()) < 0 ||
        !seed.commit()) {
        throw SpreadsheetError(office_messages::cannotStart(
            QStringLiteral("无法写入配置文件 %1").arg(QDir::toNativeSeparators(seedPath))));
    }
}

AutomationLock::AutomationLock(const QString &profileFolder) {
    QDir().mkpath(profileFolder);
    const QByteArray path = QFile::encodeName(profileFolder + QStringLiteral("/lotdraw-automation.lock"));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_unavailable = true;
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

AutomationLock::~AutomationLock() {
    release();
}

void AutomationLock::release() noexcept {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

} // namespace lotdraw
