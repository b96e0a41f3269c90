#include "support/office_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace lotdraw::testing {
namespace {

QString profileUrl() {
    // One profile for the whole test process: the first conversion pays for creating it.
    static const QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/lotdraw-fixture-XXXXXX"));
    return QUrl::fromLocalFile(profile.path()).toString();
}

void fail(const QString &what) {
    throw std::runtime_error(what.toStdString());
}

void convert(const QString &input, const QString &filter, const QString &inFilter, const QString &outDir) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    QStringList arguments{QStringLiteral("-env:UserInstallation=") + profileUrl(),
                          QStringLiteral("--headless"),
                          QStringLiteral("--norestore"),
                          QStringLiteral("--nologo"),
                          QStringLiteral("--convert-to"),
                          filter,
                          QStringLiteral("--outdir"),
                          outDir};
    if (!inFilter.isEmpty()) {
        arguments.append(QStringLiteral("--infilter=") + inFilter);
    }
    arguments.append(input);
    process.start(QStringLiteral("soffice"), arguments);
    if (!process.waitForFinished(120'000)) {
        process.kill();
        process.waitForFinished();
        fail(QStringLiteral("soffice --convert-to did not finish: ") + input);
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fail(QStringLiteral("soffice --convert-to failed: ") + QString::fromUtf8(process.readAllStandardError()));
    }
}

QByteArray procFile(const QString &pid, const char *name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid, QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// State letter and parent pid from /proc/<pid>/stat ("pid (comm) S ppid ...").
std::pair<char, pid_t> stateAndParent(const QString &pid) {
    const QByteArray stat = procFile(pid, "stat");
    const qsizetype close = stat.lastIndexOf(')');
    if (close < 0) {
        return {'?', 0};
    }
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    if (fields.size() < 2 || fields.at(0).isEmpty()) {
        return {'?', 0};
    }
    return {fields.at(0).at(0), static_cast<pid_t>(fields.at(1).toInt())};
}

} // namespace

void makeWorkbookFromCsv(const QString &csvText, const QString &path, const QString &format, CsvCells cells) {
    const QMap<QString, QString> filters{{QStringLiteral("xls"), QStringLiteral("xls:MS Excel 97")},
                                         {QStringLiteral("xlsx"), QStringLiteral("xlsx:Calc MS Excel 2007 XML")},
                                         {QStringLiteral("ods"), QStringLiteral("ods:calc8")}};
    if (!filters.contains(format)) {
        fail(QStringLiteral("no such workbook format: ") + format);
    }
    const QTemporaryDir work;
    const QString csv = work.filePath(QStringLiteral("book.csv"));
    writeFile(csv, csvText.toUtf8());
    // Comma, double quote, UTF-8, from line 1; spaces are kept. Recognised cells: US English,
    // special numbers detected, formulas evaluated.
    const QString inFilter = cells == CsvCells::Numbers
                                 ? QStringLiteral("CSV:44,34,76,1")
                                 : QStringLiteral("CSV:44,34,76,1,,1033,false,true,false,false,false,-1,true");
    convert(csv, filters.value(format), inFilter, work.path());
    const QString made = work.filePath(QStringLiteral("book.") + format);
    QFile::remove(path);
    if (!QFile::copy(made, path)) {
        fail(QStringLiteral("cannot place the workbook at ") + path);
    }
}

QString workbookFormatOf(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    if (bytes.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1"))) {
        return QStringLiteral("xls");
    }
    if (!bytes.startsWith("PK\x03\x04")) {
        return {};
    }
    if (bytes.mid(30, 8) == "mimetype" && bytes.mid(38, 46) == "application/vnd.oasis.opendocument.spreadsheet") {
        return QStringLiteral("ods");
    }
    return bytes.contains("[Content_Types].xml") && bytes.contains("xl/workbook.xml") ? QStringLiteral("xlsx")
                                                                                      : QString();
}

QList<QStringList> readWorkbookCsv(const QString &xlsPath) {
    // Converted from a copy, so nothing (not even a lock file) appears beside the workbook.
    const QTemporaryDir work;
    const QString copy = work.filePath(QStringLiteral("book.xls"));
    if (!QFile::copy(xlsPath, copy)) {
        fail(QStringLiteral("cannot copy ") + xlsPath);
    }
    const QString outDir = work.filePath(QStringLiteral("out"));
    QDir().mkpath(outDir);
    convert(copy, QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"), QString(), outDir);
    return parseCsv(QString::fromUtf8(fileBytes(outDir + QStringLiteral("/book.csv"))));
}

QString cellAt(const QList<QStringList> &rows, int row, int column) {
    if (row < 1 || row > rows.size()) {
        return {};
    }
    const QStringList &cells = rows.at(row - 1);
    return column >= 1 && column <= cells.size() ? cells.at(column - 1) : QString();
}

QStringList columnAt(const QList<QStringList> &rows, int column, int first, int last) {
    QStringList result;
    for (int row = first; row <= last; ++row) {
        result.append(cellAt(rows, row, column));
    }
    return result;
}

QList<QStringList> parseCsv(const QString &text) {
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text.at(i + 1) == u'"') {
                field.append(u'"');
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field.append(c);
            }
            continue;
        }
        any = true;
        if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            row.append(field);
            field.clear();
        } else if (c == u'\n') {
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
            any = false;
        } else if (c != u'\r') {
            field.append(c);
        }
    }
    if (any || !field.isEmpty() || !row.isEmpty()) {
        row.append(field);
        rows.append(row);
    }
    return rows;
}

ReadOnlyPlaces::~ReadOnlyPlaces() {
    while (!m_mounts.isEmpty()) {
        const QString target = m_mounts.takeLast();
        if (QProcess::execute(QStringLiteral("umount"), {target}) != 0) {
            // Busy: detach it now, so that nothing stays mounted over a test's folder.
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("--lazy"), target});
        }
    }
    while (!m_permissions.isEmpty()) {
        const auto [path, permissions] = m_permissions.takeLast();
        QFile::setPermissions(path, permissions);
    }
}

QString ReadOnlyPlaces::makeReadOnly(const QString &path) {
    if (::geteuid() == 0) {
        return mount(path, path, true);
    }
    const QFileDevice::Permissions anyWrite =
        QFileDevice::WriteOwner | QFileDevice::WriteUser | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (QFileInfo(path).isDir()) {
        for (const QFileInfo &file : QDir(path).entryInfoList(QDir::Files | QDir::Hidden)) {
            setPermissions(file.filePath(), file.permissions() & ~anyWrite);
        }
    }
    setPermissions(path, QFile::permissions(path) & ~anyWrite);
    return {};
}

QString ReadOnlyPlaces::keepWritable(const QString &file) {
    if (::geteuid() != 0) {
        setPermissions(file, QFile::permissions(file) | QFileDevice::WriteOwner);
        return {};
    }
    // The same bytes from outside the read-only mount, mounted over the file.
    const QString copy = m_copies.filePath(QString::number(m_mounts.size()));
    if (!QFile::copy(file, copy)) {
        return QStringLiteral("cannot copy ") + file;
    }
    return mount(copy, file, false);
}

QString ReadOnlyPlaces::mount(const QString &source, const QString &target, bool readOnly) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("mount"), {QStringLiteral("--bind"), source, target});
    if (!process.waitForFinished(10'000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return QStringLiteral("mount --bind is not permitted here: ") + QString::fromLocal8Bit(process.readAll());
    }
    m_mounts.append(target);
    if (readOnly) {
        process.start(QStringLiteral("mount"), {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), target});
        if (!process.waitForFinished(10'000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            return QStringLiteral("a read-only remount is not permitted here: ") +
                   QString::fromLocal8Bit(process.readAll());
        }
    }
    return {};
}

void ReadOnlyPlaces::setPermissions(const QString &path, QFileDevice::Permissions permissions) {
    m_permissions.append({path, QFile::permissions(path)});
    QFile::setPermissions(path, permissions);
}

QString loginName() {
    const passwd *account = ::getpwuid(::getuid());
    return account == nullptr ? QString() : QString::fromLocal8Bit(account->pw_name);
}

bool officeRunsBesides(const QString &ours) {
    const QList<qint64> all = officeProcesses({}, true);
    return ours.isEmpty() ? !all.isEmpty() : all.size() > officeProcesses(ours, true).size();
}

QList<qint64> officeProcesses(const QString &mentioning, bool withLaunchers) {
    QList<qint64> result;
    const QByteArray wanted = mentioning.toUtf8();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        const QByteArray name = procFile(entry, "comm").trimmed();
        const bool office = name == "soffice.bin" ||
                            (withLaunchers && (name == "soffice" || name == "oosplash" || name == "libreoffice"));
        if (!isNumber || !office || QFileInfo(QStringLiteral("/proc/") + entry).ownerId() != ::getuid() ||
            !isLiveProcess(static_cast<pid_t>(pid))) {
            continue;
        }
        const QList<QByteArray> arguments = procFile(entry, "cmdline").split('\0');
        if (wanted.isEmpty() || std::any_of(arguments.begin(), arguments.end(),
                                            [&](const QByteArray &each) { return each.contains(wanted); })) {
            result.append(pid);
        }
    }
    return result;
}

bool isLiveProcess(pid_t pid) {
    const char state = stateAndParent(QString::number(pid)).first;
    return state != '?' && state != 'Z' && state != 'X';
}

std::vector<pid_t> childProcesses(pid_t parent) {
    std::vector<pid_t> result;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const int pid = entry.toInt(&isNumber);
        if (isNumber && stateAndParent(entry).second == parent) {
            result.push_back(static_cast<pid_t>(pid));
        }
    }
    return result;
}

QStringList officeLockFiles(const QString &folder) {
    return QDir(folder).entryList({QStringLiteral(".~lock.*#")}, QDir::Files | QDir::Hidden);
}

QStringList leftoverFiles(const QString &folder) {
    return QDir(folder).entryList({QStringLiteral(".~lock.*"), QStringLiteral(".~lotdraw-save-*")},
                                  QDir::AllEntries | QDir::Hidden | QDir::System);
}

QByteArray fileBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        fail(QStringLiteral("cannot write ") + path);
    }
}

} // namespace lotdraw::testing
