#include "support/office_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <csignal>
#include <functional>
#include <pwd.h>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace lotdraw::testing {
namespace {

using namespace std::chrono_literals;

QString profileUrl() {
    // One profile for the whole test process: the first conversion pays for creating it.
    static const QTemporaryDir profile(QDir::tempPath() + QStringLiteral("/lotdraw-fixture-XXXXXX"));
    return QUrl::fromLocalFile(profile.path()).toString();
}

void fail(const QString &what) {
    throw std::runtime_error(what.toStdString());
}

// Runs a headless soffice on the fixture's profile with `arguments` and waits for it to end.
void runOffice(const QStringList &arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("soffice"),
                  QStringList{QStringLiteral("-env:UserInstallation=") + profileUrl(), QStringLiteral("--headless"),
                              QStringLiteral("--norestore"), QStringLiteral("--nologo")} +
                      arguments);
    if (!process.waitForFinished(120'000)) {
        process.kill();
        process.waitForFinished();
        fail(QStringLiteral("soffice did not finish: ") + arguments.join(u' '));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fail(QStringLiteral("soffice failed: ") + QString::fromUtf8(process.readAllStandardError()));
    }
}

void convert(const QString &input, const QString &filter, const QString &inFilter, const QString &outDir) {
    QStringList arguments{QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), outDir};
    if (!inFilter.isEmpty()) {
        arguments.append(QStringLiteral("--infilter=") + inFilter);
    }
    runOffice(arguments + QStringList{input});
}

// A Basic macro of the fixture's profile that stores a workbook again, protected by a password: the
// office encrypts an Office Open XML package only when given the encryption data itself.
constexpr char kPasswordMacro[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE script:module PUBLIC "-//OpenOffice.org//DTD OfficeDocument 1.0//EN" "module.dtd">
<script:module xmlns:script="http://openoffice.org/2000/script" script:name="Module1" script:language="StarBasic">
Sub StoreWithPassword(source As String, target As String, filter As String)
    Dim loadArgs(0) As New com.sun.star.beans.PropertyValue
    loadArgs(0).Name = &quot;Hidden&quot;
    loadArgs(0).Value = True
    doc = StarDesktop.loadComponentFromURL(source, &quot;_blank&quot;, 0, loadArgs())
    Dim secret(1) As New com.sun.star.beans.NamedValue
    secret(0).Name = &quot;OOXPassword&quot;
    secret(0).Value = &quot;lotdraw&quot;
    secret(1).Name = &quot;CryptoType&quot;
    secret(1).Value = &quot;Standard&quot;
    Dim storeArgs(1) As New com.sun.star.beans.PropertyValue
    storeArgs(0).Name = &quot;FilterName&quot;
    storeArgs(0).Value = filter
    storeArgs(1).Name = &quot;Password&quot;
    storeArgs(1).Value = &quot;lotdraw&quot;
    If filter = &quot;Calc MS Excel 2007 XML&quot; Then
        storeArgs(1).Name = &quot;EncryptionData&quot;
        storeArgs(1).Value = secret()
    End If
    doc.storeToURL(target, storeArgs())
    doc.close(True)
End Sub
</script:module>
)";

// Stores the workbook at `path` again with `filter`, protected by a password. The profile exists:
// a conversion made the workbook.
void storeWithPassword(const QString &path, const QString &filter) {
    writeFile(QUrl(profileUrl()).toLocalFile() + QStringLiteral("/user/basic/Standard/Module1.xba"), kPasswordMacro);
    const QTemporaryDir work;
    const QString source = work.filePath(QStringLiteral("plain"));
    const QString target = work.filePath(QStringLiteral("protected"));
    if (!QFile::copy(path, source)) {
        fail(QStringLiteral("cannot copy ") + path);
    }
    const auto url = [](const QString &file) { return QUrl::fromLocalFile(file).toString(QUrl::FullyEncoded); };
    runOffice({QStringLiteral("macro:///Standard.Module1.StoreWithPassword(\"%1\",\"%2\",\"%3\")")
                   .arg(url(source), url(target), filter)});
    QFile::remove(path);
    if (!QFile::copy(target, path)) {
        fail(QStringLiteral("the office did not store the workbook with a password: ") + path);
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

quint32 crc32Of(const QByteArray &bytes) {
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// A sheet of text cells, columns A to Z.
QByteArray sheetPart(const QList<QStringList> &rows) {
    QByteArray cells;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const QByteArray number = QByteArray::number(row + 1);
        cells += "<row r=\"" + number + "\">";
        for (qsizetype column = 0; column < rows.at(row).size() && column < 26; ++column) {
            if (const QString &text = rows.at(row).at(column); !text.isEmpty()) {
                cells += QByteArray("<c r=\"") + char('A' + column) + number +
                         "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" + text.toHtmlEscaped().toUtf8() +
                         "</t></is></c>";
            }
        }
        cells += "</row>";
    }
    return "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + cells +
           "</sheetData></worksheet>";
}

// A package with every part at its root, holding `rows` on a sheet of text cells. With
// `behindDecoy`, a first sheet of other names comes before it, and it is the active sheet.
QByteArray rootWorkbookPackage(const QList<QStringList> &rows, bool behindDecoy) {
    const QByteArray relationships = "http://schemas.openxmlformats.org/package/2006/relationships";
    const QByteArray officeDocument = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    const QByteArray worksheet = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
    QList<std::pair<QByteArray, QByteArray>> sheets{{"sheet1.xml", sheetPart(rows)}};
    if (behindDecoy) {
        sheets.prepend({"sheet0.xml", sheetPart({{"诱饵"}, {"诱饵"}, {"诱饵甲"}, {"诱饵乙"}})});
    }
    QByteArray types;
    QByteArray list;
    QByteArray targets;
    for (qsizetype index = 0; index < sheets.size(); ++index) {
        const QByteArray id = "rId" + QByteArray::number(index + 1);
        types += "<Override PartName=\"/" + sheets.at(index).first + "\" ContentType=\"" + worksheet + "\"/>";
        list += "<sheet name=\"Sheet" + QByteArray::number(index + 1) + "\" sheetId=\"" +
                QByteArray::number(index + 1) + "\" r:id=\"" + id + "\"/>";
        targets += "<Relationship Id=\"" + id + "\" Type=\"" + officeDocument + "/worksheet\" Target=\"" +
                   sheets.at(index).first + "\"/>";
    }
    QList<std::pair<QByteArray, QByteArray>> parts{
        {"[Content_Types].xml",
         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
         "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Override "
         "PartName=\"/workbook.xml\" "
         "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>" +
             types + "</Types>"},
        {"_rels/.rels", "<Relationships xmlns=\"" + relationships + "\"><Relationship Id=\"rId1\" Type=\"" +
                            officeDocument + "/officeDocument\" Target=\"workbook.xml\"/></Relationships>"},
        {"workbook.xml", "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" +
                             officeDocument + "\"><bookViews><workbookView activeTab=\"" +
                             QByteArray::number(sheets.size() - 1) + "\"/></bookViews><sheets>" + list +
                             "</sheets></workbook>"},
        {"_rels/workbook.xml.rels", "<Relationships xmlns=\"" + relationships + "\">" + targets + "</Relationships>"},
    };
    return zipOf(parts + sheets);
}

// This login's live processes whose name `named` accepts and, unless `mentioning` is empty, with
// it in one of their arguments.
QList<qint64> liveProcesses(const std::function<bool(const QByteArray &)> &named, const QString &mentioning) {
    QList<qint64> result;
    const QByteArray wanted = mentioning.toUtf8();
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool isNumber = false;
        const qint64 pid = entry.toLongLong(&isNumber);
        if (!isNumber || !named(procFile(entry, "comm").trimmed()) ||
            QFileInfo(QStringLiteral("/proc/") + entry).ownerId() != ::getuid() ||
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

} // namespace

void makeWorkbookFromCsv(const QString &csvText, const QString &path, const QString &format, CsvCells cells) {
    const QMap<QString, QString> filters{{QStringLiteral("xls"), QStringLiteral("xls:MS Excel 97")},
                                         {QStringLiteral("xlsx"), QStringLiteral("xlsx:Calc MS Excel 2007 XML")},
                                         {QStringLiteral("ods"), QStringLiteral("ods:calc8")}};
    if (format == QStringLiteral("xlsx at the root") || format == QStringLiteral("xlsx, second sheet active")) {
        writeFile(path, rootWorkbookPackage(parseCsv(csvText), format.endsWith(QStringLiteral("active"))));
        return;
    }
    if (format.endsWith(QStringLiteral(" with a password"))) {
        const QString plain = format.section(u' ', 0, 0);
        makeWorkbookFromCsv(csvText, path, plain, cells);
        storeWithPassword(path, filters.value(plain).section(u':', 1));
        return;
    }
    if (format == QStringLiteral("ods cut off")) {
        // Cut off before its last entry, the manifest, and the zip's directory that follows it.
        makeWorkbookFromCsv(csvText, path, QStringLiteral("ods"), cells);
        const QByteArray whole = fileBytes(path);
        writeFile(path, whole.left(whole.lastIndexOf("PK\x03\x04")));
        return;
    }
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

void startBareOffice() {
    runOffice({QStringLiteral("--terminate_after_init")});
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

QList<qint64> officeProcesses(const QString &mentioning, bool withLaunchers) {
    return liveProcesses(
        [withLaunchers](const QByteArray &name) {
            return name == "soffice.bin" ||
                   (withLaunchers && (name == "soffice" || name == "oosplash" || name == "libreoffice"));
        },
        mentioning);
}

QList<qint64> processesMentioning(const QString &text) {
    return liveProcesses([](const QByteArray &) { return true; }, text);
}

bool waitUntilThreadSleeps(pid_t thread, const std::atomic<bool> &returned) {
    const QString stat = QStringLiteral("/proc/self/task/%1/stat").arg(thread);
    for (; !returned; std::this_thread::sleep_for(1ms)) {
        const QByteArray line = fileBytes(stat);
        const QByteArray state = line.mid(line.lastIndexOf(')') + 2, 1);
        if (state == "S" || state == "D") {
            return true;
        }
    }
    return false;
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

QByteArray zipOf(const QList<std::pair<QByteArray, QByteArray>> &entries) {
    const auto u16 = [](qsizetype value) { return QByteArray(1, char(value & 0xff)) + char((value >> 8) & 0xff); };
    const auto u32 = [&u16](qsizetype value) { return u16(value & 0xffff) + u16((value >> 16) & 0xffff); };
    QByteArray zip;
    QByteArray directory;
    for (const auto &[name, data] : entries) {
        const bool stored = name == "mimetype";
        // qCompress gives a zlib stream after a four-byte size: the raw deflate data lies between
        // the stream's two-byte header and its four-byte checksum.
        const QByteArray packed = stored ? data : qCompress(data).mid(6).chopped(4);
        const QByteArray fields = u16(stored ? 0 : 8) + u32(0) + u32(crc32Of(data)) + u32(packed.size()) +
                                  u32(data.size()) + u16(name.size()) + u16(0);
        directory += QByteArray("PK\x01\x02", 4) + u16(20) + u16(20) + u16(0) + fields + u16(0) + u16(0) + u16(0) +
                     u32(0) + u32(zip.size()) + name;
        zip += QByteArray("PK\x03\x04", 4) + u16(20) + u16(0) + fields + name + packed;
    }
    const qsizetype directoryOffset = zip.size();
    zip += directory + QByteArray("PK\x05\x06", 4) + u16(0) + u16(0) + u16(entries.size()) + u16(entries.size()) +
           u32(directory.size()) + u32(directoryOffset) + u16(0);
    return zip;
}

OfficeFixture::OfficeFixture(const QString &root)
    : m_ownRoot(root.isEmpty() ? std::make_unique<QTemporaryDir>() : nullptr)
    , m_root(m_ownRoot ? m_ownRoot->path() : root) {}

bool OfficeFixture::init() {
    m_folder = std::make_unique<QTemporaryDir>(m_root + QStringLiteral("/test-XXXXXX"));
    return m_folder->isValid();
}

QString OfficeFixture::path(const QString &name) const {
    return m_folder ? m_folder->filePath(name) : QString();
}

QList<qint64> OfficeFixture::offices(bool withLaunchers) const {
    return officeProcesses(m_root, withLaunchers);
}

void OfficeFixture::cleanup() {
    // An office just killed takes the kernel a moment to take down, a window the user closed a
    // moment to end its office; one that stays is ended here, so that a failure leaves nothing.
    const bool ended = QTest::qWaitFor([this] { return offices(true).isEmpty(); }, 20'000);
    for (const qint64 pid : offices(true)) {
        const pid_t group = ::getpgid(static_cast<pid_t>(pid));
        ::kill(group > 0 && group != ::getpgrp() ? -group : static_cast<pid_t>(pid), SIGKILL);
    }
    const auto left = [this] {
        return leftoverFiles(m_root) + (m_folder ? leftoverFiles(m_folder->path()) : QStringList()) +
               QDir(QStringLiteral("/tmp"))
                   .entryList({QStringLiteral("OSL_PIPE_*_lotdraw-%1-*").arg(::getpid())}, QDir::System | QDir::Hidden);
    };
    const QStringList files = QTest::qWaitFor([&left] { return left().isEmpty(); }, 5'000) ? QStringList() : left();
    m_folder.reset();
    QVERIFY2(ended, "an office of the test still ran after it");
    QVERIFY2(files.isEmpty(), qPrintable(QStringLiteral("left behind: ") + files.join(u' ')));
}

} // namespace lotdraw::testing
