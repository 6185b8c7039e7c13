#include "RawFile.h"

#include <QSaveFile>
#include <QString>
#include <cerrno>
#include <cstring>

#include "FileKind.h"
#include "SysUtils.h"

namespace {

long long gWriteLimit = -1;

[[noreturn]] void fail(const std::string& what, const std::string& fileName, const QString& reason) {
    throw Exception(what + " \"" + fileName + "\": " + reason.toStdString());
}

// Qt's reason for a failed write or flush, or the system's when Qt has none
// of its own (a full disk met by an unbuffered write gives "Unknown error").
QString reasonOf(const QSaveFile& file, int systemError) {
    const QString reason = file.errorString();
    if (systemError != 0 && (reason.isEmpty() || reason == QLatin1String("Unknown error")))
        return QString::fromLocal8Bit(std::strerror(systemError));
    return reason;
}

} // namespace

TFileHandle::TFileHandle() = default;
TFileHandle::TFileHandle(std::unique_ptr<QSaveFile> file, std::string fileName)
    : mFile(std::move(file)), mFileName(std::move(fileName)) {}
TFileHandle::TFileHandle(TFileHandle&&) noexcept = default;
TFileHandle& TFileHandle::operator=(TFileHandle&&) noexcept = default;
std::unique_ptr<QSaveFile> TFileHandle::release() { return std::move(mFile); }

TFileHandle::~TFileHandle() {
    if (mFile)
        mFile->cancelWriting();
}

TFileHandle FileCreate(const std::string& fileName) {
    // The new file replaces the old one by a rename, which is right for a
    // regular file only: a pipe or device renamed over would be destroyed.
    const TFileKind kind = FileKindOf(fileName);
    if (kind != TFileKind::Missing && kind != TFileKind::Regular)
        fail("Cannot create", fileName,
             QString::fromStdString("it is " + FileKindText(kind) + ", and only regular files are written"));
    auto file = std::make_unique<QSaveFile>(QString::fromStdString(fileName));
    if (fileName.empty() || !file->open(QIODevice::WriteOnly))
        fail("Cannot create", fileName, fileName.empty() ? QString("no file name given") : file->errorString());
    return TFileHandle(std::move(file), fileName);
}

void FileWrite(TFileHandle& handle, const void* buffer, std::size_t count) {
    QSaveFile* file = handle.file();
    if (!file)
        throw Exception("Cannot write \"" + handle.fileName() + "\": the file is not open");
    long long allowed = static_cast<long long>(count);
    if (gWriteLimit >= 0 && allowed > gWriteLimit)
        allowed = gWriteLimit;
    errno = 0;
    const qint64 written = file->write(static_cast<const char*>(buffer), allowed);
    const int systemError = errno;
    if (written != static_cast<qint64>(count)) {
        QString reason = written < 0 ? reasonOf(*file, systemError)
                                     : QString("only %1 of %2 bytes could be written").arg(written).arg(count);
        if (written >= 0 && systemError != 0)
            reason += QString(" (%1)").arg(QString::fromLocal8Bit(std::strerror(systemError)));
        file->cancelWriting();
        fail("Cannot write", handle.fileName(), reason);
    }
}

void FileClose(TFileHandle& handle) {
    std::unique_ptr<QSaveFile> file = handle.release();
    if (!file)
        return;
    // commit() flushes too, but a flush that fails there is easy to miss:
    // flush first and check it on its own.
    errno = 0;
    if (!file->flush()) {
        const QString reason = reasonOf(*file, errno);
        file->cancelWriting();
        fail("Cannot write", handle.fileName(), reason);
    }
    if (!file->commit())
        fail("Cannot save", handle.fileName(), file->errorString());
}

void SetFileWriteLimitForTesting(long long limit) { gWriteLimit = limit; }
