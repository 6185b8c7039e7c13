#include "RawFile.h"

#include <QSaveFile>
#include <QString>

#include "SysUtils.h"

namespace {

long long gWriteLimit = -1;

[[noreturn]] void fail(const std::string& what, const std::string& fileName, const QString& reason) {
    throw Exception(what + " \"" + fileName + "\": " + reason.toStdString());
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
    const qint64 written = file->write(static_cast<const char*>(buffer), allowed);
    if (written != static_cast<qint64>(count)) {
        const QString reason = written < 0 ? file->errorString()
                                           : QString("only %1 of %2 bytes could be written").arg(written).arg(count);
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
    if (!file->flush()) {
        const QString reason = file->errorString();
        file->cancelWriting();
        fail("Cannot write", handle.fileName(), reason);
    }
    if (!file->commit())
        fail("Cannot save", handle.fileName(), file->errorString());
}

void SetFileWriteLimitForTesting(long long limit) { gWriteLimit = limit; }
