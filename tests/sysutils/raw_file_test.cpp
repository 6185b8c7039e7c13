#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileDevice>
#include <QTemporaryDir>
#include <unistd.h>

#include "RawFile.h"
#include "SysUtils.h"

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

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
        EXPECT_EQ(contentOf(path), "old content") << "replaced before close";
    } // dropped without FileClose: the write is abandoned
    EXPECT_EQ(contentOf(path), "old content");
    writeAll(path, "new");
    EXPECT_EQ(contentOf(path), "new");
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
    EXPECT_EQ(contentOf(path), QByteArray(64, 'x'));
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
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes through permissions";
    QTemporaryDir dir;
    const QString path = dir.filePath("d.dat");
    writeAll(path, "keep");
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    EXPECT_THROW(writeAll(path, "lost"), Exception);
    EXPECT_EQ(contentOf(path), "keep");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_THROW(writeAll(path, "lost"), Exception);
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(contentOf(path), "keep");
}
