// The main window against hostile files and failing disks: every malformed
// file of the corpus is refused with one message and the window keeps its
// picture; every failed save names the file, leaves no partial file and
// keeps the file that was there.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "BmpCorpus.h"
#include "MainWindowFixture.h"
#include "SmallFileSystem.h"
#include "UnprivilegedUser.h"

namespace {

using namespace main_window_testing;

TEST_F(MainWindowCommands, EveryMalformedFileGivesOneMessageAndKeepsThePicture) {
    load(writeLandscape("land.bmp"));
    form.SpeedButton2->click();
    form.TrackBar1->SetPosition(-4000);
    const Bytes sourceBefore = source(), mapBefore = map(), resultBefore = result();
    const QSize viewBefore = view();

    double slowestMs = 0;
    std::string slowest;
    for (const bmp_corpus::CorpusFile& bad : bmp_corpus::malformedFiles()) {
        SCOPED_TRACE(bad.name);
        const std::string file = path(bad.name + ".bmp");
        writeFile(file, bad.bytes);
        messages.clear();
        const auto start = std::chrono::steady_clock::now();
        load(file);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        if (ms > slowestMs) {
            slowestMs = ms;
            slowest = bad.name;
        }
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].find("Cannot load \"" + file + "\": "), std::string::npos) << messages[0];
        ASSERT_EQ(source(), sourceBefore);
        ASSERT_EQ(map(), mapBefore);
        ASSERT_EQ(result(), resultBefore);
        ASSERT_EQ(view(), viewBefore);
        ASSERT_TRUE(form.CSpinEdit1->GetEnabled());
    }
    // Reported, not asserted: how long the worst file kept the user waiting.
    RecordProperty("slowest_malformed_load_ms", std::to_string(slowestMs));
    std::cout << "slowest malformed load: " << slowestMs << " ms (" << slowest << ")\n";

    messages.clear();
    form.TrackBar3->SetPosition(35);
    EXPECT_EQ(result(), rows(convert(testing_pictures::landscape(), defaultInks(), 35, 0, -4000).result))
        << "the window still converts";
    EXPECT_TRUE(messages.empty());
}

// ---- Saves that the file system refuses ----

enum class Place { MissingFolder, ReadOnlyFolder, ReadOnlyFile, FullFileSystem };

struct WriteFailureCase {
    const char* name;
    const char* fileName;
    Place place;
};

class MainWindowWriteFailures : public MainWindowCommands,
                                public ::testing::WithParamInterface<WriteFailureCase> {
  protected:
    static constexpr int kFileSystemKilobytes = 32;

    void TearDown() override {
        for (const char* sub : {"locked", "open"})
            QFile::setPermissions(folder.filePath(sub), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                            QFileDevice::ExeOwner);
        small.reset();
        MainWindowCommands::TearDown();
    }

    // Makes the place to save into and returns the folder the file goes in.
    std::string prepare(Place place) {
        // Others may pass through the test folder, so the checks can run as "nobody".
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                 QFileDevice::ExeOther);
        const QFileDevice::Permissions all = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                             QFileDevice::WriteOther | QFileDevice::ExeOther;
        switch (place) {
        case Place::MissingFolder:
            return path("no such folder");
        case Place::ReadOnlyFolder:
            QDir(folder.path()).mkdir("locked");
            return path("locked");
        case Place::ReadOnlyFile:
            QDir(folder.path()).mkdir("open");
            QFile::setPermissions(folder.filePath("open"), all);
            return path("open");
        case Place::FullFileSystem:
            QDir(folder.path()).mkdir("small");
            QFile::setPermissions(folder.filePath("small"), all);
            small = std::make_unique<SmallFileSystem>(path("small"), kFileSystemKilobytes);
            return path("small");
        }
        return {};
    }

    // Locks the place once the old file is in it.
    void lock(Place place, const std::string& file) {
        if (place == Place::ReadOnlyFolder) {
            // The file itself may be written; only the folder refuses.
            QFile::setPermissions(QString::fromStdString(file), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                                    QFileDevice::ReadOther | QFileDevice::WriteOther);
            QFile::setPermissions(folder.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                                 QFileDevice::ReadOther | QFileDevice::ExeOther);
        }
        if (place == Place::ReadOnlyFile)
            QFile::setPermissions(QString::fromStdString(file), QFileDevice::ReadOwner | QFileDevice::ReadOther);
        if (place == Place::FullFileSystem) {
            if (small->mounted()) {
                // Leaves less room than the smallest save (16384 bytes) needs.
                writeFile(fileIn(path("small"), "filler"), QByteArray((kFileSystemKilobytes - 12) * 1024, 'f'));
            } else {
                SetFileWriteLimitForTesting(100);
            }
        }
    }

    static std::string fileIn(const std::string& dir, const std::string& name) { return dir + "/" + name; }
    static QStringList entries(const std::string& dir) {
        return QDir(QString::fromStdString(dir)).entryList(QDir::Files | QDir::Hidden | QDir::System);
    }

    std::unique_ptr<SmallFileSystem> small;
};

TEST_P(MainWindowWriteFailures, ShowTheFileKeepTheOldOneAndLeaveNoPartialFile) {
    const WriteFailureCase& c = GetParam();
    load(writeLandscape("land.bmp"));
    const Bytes resultBefore = result();
    const std::string dir = prepare(c.place);
    const std::string file = fileIn(dir, c.fileName);
    const QByteArray old(5000, 'o');
    if (c.place != Place::MissingFolder)
        writeFile(file, old);
    lock(c.place, file);
    if (c.place == Place::FullFileSystem)
        RecordProperty("full_file_system", small->mounted() ? "tmpfs" : "injected short write");
    const QStringList before = entries(dir);

    if (c.place == Place::ReadOnlyFolder || c.place == Place::ReadOnlyFile) {
        const UnprivilegedUser asUser;
        ASSERT_TRUE(asUser.permissionsApply());
        save(file);
    } else {
        save(file);
    }

    ASSERT_EQ(messages.size(), 1u) << "the failure is shown once";
    RecordProperty("message", messages[0]);
    EXPECT_NE(messages[0].find("\"" + file + "\""), std::string::npos) << messages[0];
    EXPECT_EQ(entries(dir), before) << "no partial or temporary file";
    if (c.place == Place::FullFileSystem && small->mounted()) {
        EXPECT_NE(messages[0].find("No space left on device"), std::string::npos) << "the reason, not \"Unknown error\"";
    }
    if (c.place == Place::MissingFolder)
        EXPECT_FALSE(QDir(QString::fromStdString(dir)).exists());
    else
        EXPECT_EQ(fileBytes(file), old) << "the old file byte for byte";
    EXPECT_EQ(result(), resultBefore);
    EXPECT_TRUE(form.CSpinEdit1->GetEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    , MainWindowWriteFailures,
    ::testing::Values(WriteFailureCase{"BmpIntoMissingFolder", "x.bmp", Place::MissingFolder},
                      WriteFailureCase{"ScreenIntoMissingFolder", "x.scr", Place::MissingFolder},
                      WriteFailureCase{"BmpIntoReadOnlyFolder", "x.bmp", Place::ReadOnlyFolder},
                      WriteFailureCase{"ScreenIntoReadOnlyFolder", "x.scr", Place::ReadOnlyFolder},
                      WriteFailureCase{"BmpOverReadOnlyFile", "x.bmp", Place::ReadOnlyFile},
                      WriteFailureCase{"ScreenOverReadOnlyFile", "x.scr", Place::ReadOnlyFile},
                      WriteFailureCase{"BmpOntoFullFileSystem", "x.bmp", Place::FullFileSystem},
                      WriteFailureCase{"ScreenOntoFullFileSystem", "x.scr", Place::FullFileSystem}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
