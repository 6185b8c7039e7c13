#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Kilobytes of one line of /proc/self/status ("VmRSS" resident now, "VmHWM"
// its peak), -1 where the system has no such line.
inline long long statusKilobytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').front().toLongLong();
    return -1;
}
