#pragma once

#include <map>
#include <string>

#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "TestFiles.h"

// The files of a CPC DATA disc image as cpmtools reads them, by the names
// cpmls lists (lower case). Needs CPMLS_PATH and CPMCP_PATH.
inline std::map<std::string, QByteArray> cpmFiles(const std::string& image) {
    const QStringList format = {"-f", "cpcdata", "-T", "edsk"};
    const auto runTool = [](const char* tool, const QStringList& arguments) {
        QProcess process;
        process.start(tool, arguments);
        EXPECT_TRUE(process.waitForFinished(30000) && process.exitCode() == 0)
            << tool << ": " << process.readAllStandardError().toStdString();
        return process.readAllStandardOutput();
    };
    QTemporaryDir folder;
    std::map<std::string, QByteArray> files;
    for (const QByteArray& line : runTool(CPMLS_PATH, format + QStringList{QString::fromStdString(image)}).split('\n')) {
        const QString name = QString::fromLatin1(line).trimmed();
        if (name.isEmpty() || name.endsWith(':')) // "0:" heads user 0's files
            continue;
        runTool(CPMCP_PATH, format + QStringList{QString::fromStdString(image), "0:" + name, folder.filePath(name)});
        files[name.toStdString()] = fileBytes(folder.filePath(name).toStdString());
    }
    return files;
}
