#include "office/content/workbook_content.h"
#include "office/office_lock_file.h"
#include "support/office_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace lotdraw;
using lotdraw::testing::fileBytes;
using lotdraw::testing::writeFile;
using lotdraw::testing::zipOf;

namespace {

// `bytes` with the 16-bit little-endian field at `at` set to `value`.
QByteArray patched(QByteArray bytes, qsizetype at, int value) {
    bytes[at] = char(value & 0xff);
    bytes[at + 1] = char((value >> 8) & 0xff);
    return bytes;
}

using Entries = QList<std::pair<QByteArray, QByteArray>>;

const QByteArray kWorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";

// A package whose relationship names `mainPart` as its main part, typed `contentType`.
Entries package(const QByteArray &mainPart, const QByteArray &contentType) {
    return Entries{{"[Content_Types].xml",
                    "<Types><Override PartName=\"/" + mainPart + "\" ContentType=\"" + contentType + "\"/></Types>"},
                   {"_rels/.rels", "<Relationships><Relationship Id=\"r\" Target=\"" + mainPart +
                                       "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
                                       "officeDocument\"/></Relationships>"},
                   {mainPart, "<workbook/>"}};
}

// A compound file of 512-byte sectors: the header, one sector of the allocation table, and one
// directory sector listing the root and `streams`.
QByteArray compoundFile(const QStringList &streams) {
    QByteArray file(3 * 512, '\0');
    const auto put = [&file](qsizetype at, quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file[at + i] = char((value >> (8 * i)) & 0xff);
        }
    };
    file.replace(0, 8, QByteArray::fromHex("d0cf11e0a1b11ae1"));
    put(0x1c, 0xfffe, 2);
    put(0x1e, 9, 2);
    put(0x30, 1, 4);
    put(512, 0xfffffffd, 4);
    put(516, 0xfffffffe, 4);
    const QStringList names = QStringList{QStringLiteral("Root Entry")} + streams;
    for (qsizetype entry = 0; entry < names.size(); ++entry) {
        const qsizetype at = 1024 + entry * 128;
        for (qsizetype unit = 0; unit < names.at(entry).size(); ++unit) {
            put(at + 2 * unit, names.at(entry).at(unit).unicode(), 2);
        }
        put(at + 0x40, 2 * (names.at(entry).size() + 1), 2);
        put(at + 0x42, entry == 0 ? 5 : 2, 1);
    }
    return file;
}

} // namespace

class WorkbookFilesTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void lockFileOwner_data();
    void lockFileOwner();
    void lockFileFields_data();
    void lockFileFields();
    void lockOfThisLogin_data();
    void lockOfThisLogin();
    void workbookContent_data();
    void workbookContent();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void WorkbookFilesTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void WorkbookFilesTest::lockFileOwner_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("ours");
    QTest::newRow("our profile's user folder")
        << QByteArray(",root,host,07.12.2026 06:04,file:///tmp/profile%20one/user;") << true;
    QTest::newRow("our profile, decoded")
        << QByteArray(",root,host,07.12.2026 06:04,file:///tmp/profile one/user;") << true;
    QTest::newRow("the user's own profile")
        << QByteArray(",root,host,07.12.2026 06:04,file:///root/.config/libreoffice/4/user;") << false;
    QTest::newRow("a profile whose name starts like ours")
        << QByteArray(",root,host,07.12.2026 06:04,file:///tmp/profile%20one2/user;") << false;
    QTest::newRow("our profile's folder itself")
        << QByteArray(",root,host,07.12.2026 06:04,file:///tmp/profile%20one;") << true;
    QTest::newRow("our profile named in another field")
        << QByteArray("file:///tmp/profile%20one,root,host,07.12.2026 06:04,file:///root/.config/libreoffice/4;")
        << false;
    QTest::newRow("cut off before the profile")
        << QByteArray(",root,host,07.12.2026 06:04,file:///tmp/profile%20one") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void WorkbookFilesTest::lockFileOwner() {
    QFETCH(QByteArray, content);
    QFETCH(bool, ours);
    const QString lock = m_dir->filePath(QStringLiteral(".~lock.a.xls#"));
    writeFile(lock, content);
    QCOMPARE(isLockFileOfProfile(lock, QStringLiteral("file:///tmp/profile%20one")), ours);
}

void WorkbookFilesTest::lockFileFields_data() {
    QTest::addColumn<QByteArray>("content");
    // Office user name, system user, host and profile; none when the lock cannot be read.
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("no office user name") << QByteArray(",root,vm,07.12.2026 07:08,file:///root/.config/libreoffice/4;")
                                         << QStringList{"", "root", "vm", "file:///root/.config/libreoffice/4"};
    QTest::newRow("escaped separators in the name")
        << QByteArray(
               "王\\\\老师\\, 三班\\;,teacher,pc-01,07.12.2026 07:08,file:///home/teacher/.config/libreoffice/4;")
        << QStringList{"王\\老师, 三班;", "teacher", "pc-01", "file:///home/teacher/.config/libreoffice/4"};
    QTest::newRow("text after the entry")
        << QByteArray(",root,vm,07.12.2026 07:08,file:///p;\n") << QStringList{"", "root", "vm", "file:///p"};
    QTest::newRow("four fields") << QByteArray(",root,vm,file:///p;") << QStringList{};
    QTest::newRow("six fields") << QByteArray(",root,vm,07.12.2026 07:08,x,file:///p;") << QStringList{};
    QTest::newRow("no end") << QByteArray(",root,vm,07.12.2026 07:08,file:///p") << QStringList{};
    QTest::newRow("unknown escape") << QByteArray("\\x,root,vm,07.12.2026 07:08,file:///p;") << QStringList{};
    QTest::newRow("empty") << QByteArray() << QStringList{};
}

void WorkbookFilesTest::lockFileFields() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, fields);
    const QString lock = m_dir->filePath(QStringLiteral(".~lock.a.xls#"));
    writeFile(lock, content);
    const std::optional<OfficeLockOwner> owner = readOfficeLock(lock);
    const QStringList read =
        owner ? QStringList{owner->officeUserName, owner->systemUser, owner->host, owner->profileUrl} : QStringList{};
    QCOMPARE(read, fields);
}

void WorkbookFilesTest::lockOfThisLogin_data() {
    const QString login = lotdraw::testing::loginName();
    const QString host = QSysInfo::machineHostName();
    QTest::addColumn<QString>("systemUser");
    QTest::addColumn<QString>("lockHost");
    QTest::addColumn<bool>("mine");
    QTest::newRow("this login here") << login << host << true;
    QTest::newRow("host in other case") << login << host.toUpper() << true;
    QTest::newRow("host with its domain") << login << host + QStringLiteral(".example.org") << true;
    QTest::newRow("another machine") << login << QStringLiteral("x") + host << false;
    QTest::newRow("a machine whose name starts like ours") << login << host + QStringLiteral("2") << false;
    QTest::newRow("another login") << login + QStringLiteral("2") << host << false;
    QTest::newRow("no host") << login << QString() << false;
}

void WorkbookFilesTest::lockOfThisLogin() {
    QFETCH(QString, systemUser);
    QFETCH(QString, lockHost);
    QFETCH(bool, mine);
    QVERIFY(!QSysInfo::machineHostName().isEmpty());
    OfficeLockOwner owner;
    owner.systemUser = systemUser;
    owner.host = lockHost;
    owner.profileUrl = QStringLiteral("file:///home/someone/.config/libreoffice/4");
    // A login without an entry in the user database has no name that a lock could carry.
    QCOMPARE(isLockOfThisLogin(owner), mine && !lotdraw::testing::loginName().isEmpty());
}

void WorkbookFilesTest::workbookContent_data() {
    const Entries xlsx = package("xl/workbook.xml", kWorkbookType);
    const Entries ods{{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", "<x/>"}};
    const QByteArray plain = zipOf(xlsx);
    const QByteArray commented = patched(plain, plain.size() - 2, 7) + "comment";
    // The end record (no comment after it) and the central directory it points to.
    const qsizetype end = plain.size() - 22;
    const int directorySize = static_cast<quint8>(plain.at(end + 12)) | static_cast<quint8>(plain.at(end + 13)) << 8;
    const qsizetype directory = end - directorySize;

    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<WorkbookContent>("content");
    QTest::newRow("compound file") << QByteArray::fromHex("d0cf11e0a1b11ae1000000") << WorkbookContent::Excel97;
    QTest::newRow("compound file of a workbook") << compoundFile({"Workbook"}) << WorkbookContent::Excel97;
    QTest::newRow("encrypted package") << compoundFile({"EncryptionInfo", "EncryptedPackage"})
                                       << WorkbookContent::EncryptedOfficeOpenXml;
    QTest::newRow("biff5 stream") << QByteArray::fromHex("0908100000050500") << WorkbookContent::Excel97;
    QTest::newRow("xlsx parts") << zipOf(xlsx) << WorkbookContent::OfficeOpenXml;
    QTest::newRow("xlsx with a zip comment") << commented << WorkbookContent::OfficeOpenXml;
    QTest::newRow("ods") << zipOf(ods) << WorkbookContent::OpenDocument;
    QTest::newRow("text document of OpenDocument")
        << zipOf({{"mimetype", "application/vnd.oasis.opendocument.text"}}) << WorkbookContent::Other;
    QTest::newRow("mimetype not the first entry")
        << zipOf({{"content.xml", "<x/>"}, ods.first()}) << WorkbookContent::Other;
    QTest::newRow("word document") << zipOf({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", "<w/>"}})
                                   << WorkbookContent::Other;
    QTest::newRow("workbook part at the root")
        << zipOf(package("workbook.xml", kWorkbookType)) << WorkbookContent::OfficeOpenXml;
    QTest::newRow("main part a text document")
        << zipOf(package("word/document.xml",
                         "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"))
        << WorkbookContent::Other;
    QTest::newRow("main part missing") << zipOf(package("xl/workbook.xml", kWorkbookType).first(2))
                                       << WorkbookContent::Damaged;
    QTest::newRow("relationships not XML")
        << zipOf({xlsx.at(0), {"_rels/.rels", "<Relationships"}, xlsx.at(2)}) << WorkbookContent::Damaged;
    QTest::newRow("xlsx cut off") << zipOf(xlsx).chopped(30) << WorkbookContent::Damaged;
    QTest::newRow("ods cut off in its first entry") << zipOf(ods).left(36) << WorkbookContent::Damaged;
    QTest::newRow("directory past the end") << patched(plain, end + 18, 0x7f00) << WorkbookContent::Damaged;
    QTest::newRow("directory reaching into its end record")
        << patched(plain, end + 12, directorySize + 1) << WorkbookContent::Damaged;
    QTest::newRow("more entries than the directory holds")
        << patched(patched(plain, end + 8, 4), end + 10, 4) << WorkbookContent::Damaged;
    QTest::newRow("an entry's name running past the directory")
        << patched(plain, directory + 28, 0x7fff) << WorkbookContent::Damaged;
    QTest::newRow("split archive") << patched(plain, end + 4, 1) << WorkbookContent::Damaged;
    QTest::newRow("too short for a zip") << QByteArray("PK\x03\x04rest") << WorkbookContent::Other;
    QTest::newRow("text") << QByteArray("name\n张三\n") << WorkbookContent::Other;
    QTest::newRow("html") << QByteArray("<html><table><tr><td>张三</td></tr></table></html>") << WorkbookContent::Other;
    QTest::newRow("empty") << QByteArray() << WorkbookContent::Other;
}

void WorkbookFilesTest::workbookContent() {
    QFETCH(QByteArray, bytes);
    QFETCH(WorkbookContent, content);
    const QString path = m_dir->filePath(QStringLiteral("导入名单.xls"));
    writeFile(path, bytes);
    QCOMPARE(lotdraw::workbookContent(path), content);
}

QTEST_GUILESS_MAIN(WorkbookFilesTest)
#include "workbook_files_test.moc"
