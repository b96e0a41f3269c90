#include "files/atomic_file.h"
#include "support/office_fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace lotdraw;
using lotdraw::testing::fileBytes;
using lotdraw::testing::writeFile;

class AtomicFileTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void publishReplacesInOneStep_data();
    void publishReplacesInOneStep();
    void publishWithoutReplaceKeepsAnExistingFile();
    void publishFailureRemovesTheTemporaryFile();
    void replacementFollowsASymbolicLink();
    void temporaryFileLiesBesideTheTarget();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void AtomicFileTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void AtomicFileTest::publishReplacesInOneStep_data() {
    QTest::addColumn<bool>("mayReplace");
    QTest::addColumn<bool>("fileSyncFails");
    QTest::newRow("replacing the file") << true << false;
    QTest::newRow("making a new file") << false << false;
    QTest::newRow("the new content cannot reach the disk") << true << true;
}

void AtomicFileTest::publishReplacesInOneStep() {
    QFETCH(bool, mayReplace);
    QFETCH(bool, fileSyncFails);
    const QString target = m_dir->filePath(QStringLiteral("导入名单.xls"));
    if (mayReplace) {
        writeFile(target, "old");
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner));
    }
    const QString temporary = temporarySibling(target);
    writeFile(temporary, "new");
    QVERIFY(QFile::setPermissions(temporary, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther));
    // Each path synced, with what the target held at that moment.
    QStringList synced;
    const auto sync = [&](const QString &path) {
        synced.append(path + u'=' + QString::fromUtf8(fileBytes(target)));
        return !(fileSyncFails && path == temporary) && syncToDisk(path);
    };

    QCOMPARE(publishFile(temporary, target, mayReplace, sync).isEmpty(), !fileSyncFails);
    // The new content reaches the disk before its name replaces the old file, the new name after.
    const QString before = temporary + (mayReplace ? QStringLiteral("=old") : QStringLiteral("="));
    QCOMPARE(synced,
             fileSyncFails ? QStringList{before} : (QStringList{before, m_dir->path() + QStringLiteral("=new")}));
    QCOMPARE(fileBytes(target), fileSyncFails ? QByteArray("old") : QByteArray("new"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("导入名单.xls")});
    // A replaced workbook keeps its own permissions, not those of the new file.
    QCOMPARE(bool(QFile::permissions(target) & QFile::ReadOther), !mayReplace);
    // The real sync flushes a folder, and says so when there is nothing to flush.
    QVERIFY(syncToDisk(m_dir->path()) && !syncToDisk(temporary));
}

void AtomicFileTest::publishWithoutReplaceKeepsAnExistingFile() {
    const QString target = m_dir->filePath(QStringLiteral("a.xls"));
    writeFile(target, "someone else's");
    const QString temporary = temporarySibling(target);
    writeFile(temporary, "new");

    QVERIFY(!publishFile(temporary, target, false).isEmpty());
    QCOMPARE(fileBytes(target), QByteArray("someone else's"));
    QVERIFY(!QFileInfo::exists(temporary));
}

void AtomicFileTest::publishFailureRemovesTheTemporaryFile() {
    // The target's folder is gone: the rename fails, the temporary file must not stay behind.
    const QString target = m_dir->filePath(QStringLiteral("gone/a.xls"));
    const QString temporary = temporarySibling(m_dir->filePath(QStringLiteral("a.xls")));
    writeFile(temporary, "new");

    QVERIFY(!publishFile(temporary, target, true).isEmpty());
    QVERIFY(!QFileInfo::exists(temporary));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

void AtomicFileTest::replacementFollowsASymbolicLink() {
    const QString real = m_dir->filePath(QStringLiteral("real.xls"));
    const QString link = m_dir->filePath(QStringLiteral("link.xls"));
    writeFile(real, "old");
    QVERIFY(QFile::link(real, link));

    const QString target = resolvedTarget(link);
    QCOMPARE(target, QFileInfo(real).canonicalFilePath());
    const QString temporary = temporarySibling(target);
    writeFile(temporary, "new");
    QCOMPARE(publishFile(temporary, target, true), QString());

    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(fileBytes(link), QByteArray("new"));
}

void AtomicFileTest::temporaryFileLiesBesideTheTarget() {
    const QString target = m_dir->filePath(QStringLiteral("导入名单.xls"));
    const QString first = temporarySibling(target);
    writeFile(first, "x");
    const QString second = temporarySibling(target);

    // Each save gets its own private folder beside the target, on the same file system.
    const QFileInfo folder(QFileInfo(first).absolutePath());
    QCOMPARE(folder.absolutePath(), QFileInfo(target).absolutePath());
    QVERIFY(folder.fileName().startsWith(QStringLiteral(".~lotdraw-save-")));
    QCOMPARE(QFileInfo(first).fileName(), QFileInfo(target).fileName());
    QVERIFY(QFileInfo(first).absolutePath() != QFileInfo(second).absolutePath());

    // Scratch files that a writer leaves beside the temporary file go with its folder.
    writeFile(QFileInfo(first).absolutePath() + QStringLiteral("/lu12345.tmp"), "scratch");
    removeTemporary(first);
    QVERIFY(!folder.exists());
    QVERIFY(QFileInfo::exists(QFileInfo(second).absolutePath()));
    // Only a save's own folder goes: a file elsewhere goes alone, its neighbours stay.
    writeFile(target, "names");
    removeTemporary(m_dir->filePath(QStringLiteral("a.xls")));
    QCOMPARE(fileBytes(target), QByteArray("names"));
}

QTEST_GUILESS_MAIN(AtomicFileTest)
#include "atomic_file_test.moc"
