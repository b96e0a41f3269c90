#include "namelist/program_folder.h"
#include "support/fake_spreadsheet.h"
#include "support/office_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

using namespace lotdraw;
using lotdraw::testing::FakeSpreadsheetApplication;
using lotdraw::testing::fileBytes;
using lotdraw::testing::writeFile;

// A machine in a temporary folder: "usr/bin" is where the package installs the program, "build" a
// build folder, "usr/share/lotdraw" holds the sample and "home/文档" is the user's documents folder,
// not made yet.
class ProgramFolderTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void programFolder_data();
    void programFolder();
    void commandsWaitForTheFolder();

private:
    [[nodiscard]] QString path(const QString &relative) const { return m_dir->filePath(relative); }
    [[nodiscard]] ProgramPlaces places(const QString &executableFolder) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void ProgramFolderTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("usr/bin")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("usr/share/lotdraw")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("build")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("home")));
    QVERIFY(QFile::link(path(QStringLiteral("usr/bin")), path(QStringLiteral("bin"))));
    writeFile(path(QStringLiteral("usr/share/lotdraw/导入名单.xls")), "sample");
}

ProgramPlaces ProgramFolderTest::places(const QString &executableFolder) const {
    return {path(executableFolder), path(QStringLiteral("usr/bin")), path(QStringLiteral("home/文档")),
            path(QStringLiteral("usr/share/lotdraw/导入名单.xls"))};
}

void ProgramFolderTest::programFolder_data() {
    QTest::addColumn<QString>("executableFolder");
    QTest::addColumn<QString>("before"); // "workbook": the user has one; "file": a file stands where 文档 goes;
                                         // "no sample": the sample was removed
    QTest::addColumn<QString>("expectedFolder");
    QTest::addColumn<QByteArray>("expectedWorkbook"); // empty: no workbook there
    QTest::addColumn<QString>("expectedProblem");     // a part of the message; empty: none

    QTest::newRow("build folder: beside the executable, nothing copied")
        << "build" << QString() << "build" << QByteArray() << QString();
    QTest::newRow("installed, first start: folder made, sample copied")
        << "usr/bin" << QString() << "home/文档/现场抽签" << QByteArray("sample") << QString();
    QTest::newRow("installed, started through a linked folder")
        << "bin" << QString() << "home/文档/现场抽签" << QByteArray("sample") << QString();
    QTest::newRow("installed, the user's workbook is kept")
        << "usr/bin" << QStringLiteral("workbook") << "home/文档/现场抽签" << QByteArray("mine") << QString();
    QTest::newRow("installed, a file in the way of the folder")
        << "usr/bin" << QStringLiteral("file") << "home/文档/现场抽签" << QByteArray()
        << QStringLiteral("那里已有同名的文件");
    QTest::newRow("installed, the sample is gone") << "usr/bin" << QStringLiteral("no sample") << "home/文档/现场抽签"
                                                   << QByteArray() << QStringLiteral("找不到示例名单");
}

void ProgramFolderTest::programFolder() {
    QFETCH(QString, executableFolder);
    QFETCH(QString, before);
    QFETCH(QString, expectedFolder);
    QFETCH(QByteArray, expectedWorkbook);
    QFETCH(QString, expectedProblem);
    if (before == QStringLiteral("workbook")) {
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("home/文档/现场抽签")));
        writeFile(path(QStringLiteral("home/文档/现场抽签/导入名单.xls")), "mine");
    } else if (before == QStringLiteral("file")) {
        writeFile(path(QStringLiteral("home/文档")), "not a folder");
    } else if (before == QStringLiteral("no sample")) {
        QVERIFY(QFile::remove(path(QStringLiteral("usr/share/lotdraw/导入名单.xls"))));
    }

    ProgramFolder folder(places(executableFolder));
    const QString problem = folder.prepare();

    QCOMPARE(folder.folder(), path(expectedFolder));
    QCOMPARE(folder.workbookPath(), path(expectedFolder + QStringLiteral("/导入名单.xls")));
    QCOMPARE(fileBytes(folder.workbookPath()), expectedWorkbook);
    if (expectedProblem.isEmpty()) {
        QCOMPARE(problem, QString());
    } else {
        QVERIFY2(problem.contains(expectedProblem), qPrintable(problem));
    }
    // Nothing of the copy's own is left in the folder.
    if (QFileInfo(folder.folder()).isDir()) {
        QCOMPARE(QDir(folder.folder()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 expectedWorkbook.isEmpty() ? QStringList() : QStringList{QStringLiteral("导入名单.xls")});
    }
}

void ProgramFolderTest::commandsWaitForTheFolder() {
    writeFile(path(QStringLiteral("home/文档")), "not a folder");
    FakeSpreadsheetApplication office;
    ProgramFolder folder(places(QStringLiteral("usr/bin")));
    QVERIFY(!folder.prepare().isEmpty());
    ProgramFolderSpreadsheet spreadsheet(office, folder);

    // The command is refused with the reason; no office is started for it.
    try {
        static_cast<void>(spreadsheet.create({}));
        QFAIL("an instance was handed out without the folder");
    } catch (const SpreadsheetError &error) {
        QVERIFY2(error.userMessage().contains(QDir::toNativeSeparators(folder.folder())),
                 qPrintable(error.userMessage()));
    }
    QVERIFY(!office.log().contains(QStringLiteral("create")));

    // Once the user has cleared the way, the next command makes the folder and goes on.
    QVERIFY(QFile::remove(path(QStringLiteral("home/文档"))));
    const std::unique_ptr<SpreadsheetInstance> instance = spreadsheet.create({});
    QVERIFY(instance != nullptr);
    QVERIFY(office.log().contains(QStringLiteral("create")));
    QCOMPARE(fileBytes(folder.workbookPath()), QByteArray("sample"));

    // A workbook the user removes after that is not put back behind their back.
    QVERIFY(QFile::remove(folder.workbookPath()));
    static_cast<void>(spreadsheet.create({}));
    QVERIFY(!QFileInfo::exists(folder.workbookPath()));

    // A slow start stopped by the operator is given up, not waited out.
    office.holdAt(FakeSpreadsheetApplication::Operation::Create);
    bool cancelled = false;
    CancellationToken cancel;
    std::thread start([&] {
        try {
            static_cast<void>(spreadsheet.create(cancel));
        } catch (const SpreadsheetCancelled &) {
            cancelled = true;
        }
    });
    QTRY_VERIFY(office.isHolding());
    cancel.cancel();
    start.join();
    QVERIFY(cancelled);
}

QTEST_GUILESS_MAIN(ProgramFolderTest)
#include "program_folder_test.moc"
