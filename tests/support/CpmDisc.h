#pragma once

#include <map>
#include <string>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include "TestFiles.h"

// The files of a CPC DATA disc image as cpmtools reads them, by the names
// cpmls lists (lower case); a tool that fails fails the test. Needs
// CPMLS_PATH and CPMCP_PATH.
inline std::map<std::string, QByteArray> cpmFiles(const std::string& image) {
    const QStringList format = {"-f", "cpcdata", "-T", "edsk"};
    std::map<std::string, QByteArray> files;
    QProcess list;
    list.start(CPMLS_PATH, format + QStringList{QString::fromStdString(image)});
    if (!list.waitForFinished(30000) || list.exitCode() != 0) {
        ADD_FAILURE() << "cpmls cannot read " << image << ": " << list.readAllStandardError().toStdString();
        return files;
    }
    QTemporaryDir folder;
    for (const QByteArray& line : list.readAllStandardOutput().split('\n')) {
        const QString name = QString::fromLatin1(line).trimmed();
        if (name.isEmpty() || name.endsWith(':')) // "0:" heads user 0's files
            continue;
        QProcess copy;
        copy.start(CPMCP_PATH, format + QStringList{QString::fromStdString(image), "0:" + name, folder.filePath(name)});
        if (!copy.waitForFinished(30000) || copy.exitCode() != 0)
            ADD_FAILURE() << "cpmcp cannot copy " << name.toStdString() << ": " << copy.readAllStandardError().toStdString();
        files[name.toStdString()] = fileBytes(folder.filePath(name).toStdString());
    }
    return files;
}
