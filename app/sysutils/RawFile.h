#pragma once

#include <cstddef>
#include <memory>
#include <string>

class QSaveFile;

// A file being written. The bytes go to a temporary file beside the named one
// and replace it only when FileClose succeeds, so a failed write never
// destroys a file that was already there. Dropping a handle without closing
// it throws the temporary file away.
class TFileHandle {
public:
    TFileHandle();
    TFileHandle(std::unique_ptr<QSaveFile> file, std::string fileName);
    TFileHandle(TFileHandle&&) noexcept;
    TFileHandle& operator=(TFileHandle&&) noexcept;
    ~TFileHandle();

    QSaveFile* file() const { return mFile.get(); }
    const std::string& fileName() const { return mFileName; }
    std::unique_ptr<QSaveFile> release();

private:
    std::unique_ptr<QSaveFile> mFile;
    std::string mFileName;
};

// Create or replace a file, write bytes to it, close it. Only a regular file
// (or a link to one) is replaced; a folder, pipe, device or socket of that
// name is refused and left alone. Each raises an
// Exception naming the file and the reason when the file system refuses,
// a write comes up short, or the final flush and replacement fail.
TFileHandle FileCreate(const std::string& fileName);
void FileWrite(TFileHandle& handle, const void* buffer, std::size_t count);
void FileClose(TFileHandle& handle);

// Test seam: the most bytes any one FileWrite passes to the file system from
// now on, as a disk that fills up would; a negative limit means no limit.
void SetFileWriteLimitForTesting(long long limit);
