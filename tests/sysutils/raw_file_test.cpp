#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>

#include "RawFile.h"
#include "SmallFileSystem.h"
#include "SysUtils.h"
#include "TestFiles.h"
#include "UnprivilegedUser.h"

namespace {

void writeAll(const QString& path, const QByteArray& bytes) {
    TFileHandle file = FileCreate(path.toStdString());
    FileWrite(file, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    FileClose(file);
}

} // namespace

TEST(RawFile, ReplacesAnExistingFileOnlyWhenClosed) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.dat");
    writeAll(path, "old content");
    {
        TFileHandle file = FileCreate(path.toStdString());
        FileWrite(file, "new", 3);
        EXPECT_EQ(fileBytes(path.toStdString()), "old content") << "replaced before close";
    } // dropped without FileClose: the write is abandoned
    EXPECT_EQ(fileBytes(path.toStdString()), "old content");
    writeAll(path, "new");
    EXPECT_EQ(fileBytes(path.toStdString()), "new");
}

TEST(RawFile, ShortWriteIsAnErrorAndKeepsTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("b.dat");
    writeAll(path, QByteArray(64, 'x'));
    SetFileWriteLimitForTesting(5);
    try {
        writeAll(path, QByteArray(32, 'y'));
        ADD_FAILURE() << "a short write was reported as success";
    } catch (const Exception& error) {
        EXPECT_NE(std::string(error.what()).find(path.toStdString()), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("5 of 32"), std::string::npos) << error.what();
    }
    SetFileWriteLimitForTesting(-1);
    EXPECT_EQ(fileBytes(path.toStdString()), QByteArray(64, 'x'));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"b.dat"});
}

TEST(RawFile, CreateFailsWithTheFileNameAndReason) {
    QTemporaryDir dir;
    for (const QString& path : {dir.filePath("missing/c.dat"), QString()}) {
        try {
            FileCreate(path.toStdString());
            ADD_FAILURE() << "created " << path.toStdString();
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find("\"" + path.toStdString() + "\""), std::string::npos);
        }
    }
}

TEST(RawFile, ReadOnlyFolderAndFileRefuseAndStayIntact) {
    QTemporaryDir dir;
    const QString path = dir.filePath("d.dat");
    writeAll(path, "keep");
    // Others may pass through, so the checks can run as "nobody" when the tests run as root.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther);
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadOther);
    {
        const UnprivilegedUser asUser;
        ASSERT_TRUE(asUser.permissionsApply());
        EXPECT_THROW(writeAll(path, "lost"), Exception);
    }
    EXPECT_EQ(fileBytes(path.toStdString()), "keep");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther |
                                    QFileDevice::WriteOther);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther);
    {
        const UnprivilegedUser asUser;
        EXPECT_THROW(writeAll(path, "lost"), Exception) << "the folder refuses the replacement";
    }
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(fileBytes(path.toStdString()), "keep");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"d.dat"});
}

// A real full file system: the system's reason reaches the message, whether
// the write itself or the final flush meets the full disk.
TEST(RawFile, FullFileSystemGivesTheSystemsReasonAndKeepsTheOldFile) {
    QTemporaryDir dir;
    const SmallFileSystem small(dir.path().toStdString(), 32);
    if (!small.mounted())
        GTEST_SKIP() << "this process may not mount a file system; the short-write test stands in";
    const QString path = dir.filePath("e.dat");
    writeAll(path, QByteArray(5000, 'o'));
    // 32 KiB less the old file's two pages and the filler's five leave one page free.
    writeAll(dir.filePath("filler"), QByteArray(20 * 1024, 'f'));
    for (const qsizetype size : {qsizetype{5000}, qsizetype{16384}, qsizetype{100000}}) {
        SCOPED_TRACE(size);
        try {
            writeAll(path, QByteArray(size, 'n'));
            ADD_FAILURE() << "a write onto a full disk was reported as success";
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos) << error.what();
        }
        EXPECT_EQ(fileBytes(path.toStdString()), QByteArray(5000, 'o'));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
}
