#include "FileKind.h"

#include <sys/stat.h>

TFileKind FileKindOf(const std::string& fileName) {
    struct stat status {};
    if (::stat(fileName.c_str(), &status) != 0)
        return TFileKind::Missing;
    if (S_ISREG(status.st_mode))
        return TFileKind::Regular;
    if (S_ISDIR(status.st_mode))
        return TFileKind::Folder;
    if (S_ISFIFO(status.st_mode))
        return TFileKind::NamedPipe;
    if (S_ISCHR(status.st_mode))
        return TFileKind::CharacterDevice;
    if (S_ISBLK(status.st_mode))
        return TFileKind::BlockDevice;
    if (S_ISSOCK(status.st_mode))
        return TFileKind::Socket;
    return TFileKind::Other;
}

std::string FileKindText(TFileKind kind) {
    switch (kind) {
    case TFileKind::Missing:
        return "a missing file";
    case TFileKind::Regular:
        return "a regular file";
    case TFileKind::Folder:
        return "a folder";
    case TFileKind::NamedPipe:
        return "a named pipe";
    case TFileKind::CharacterDevice:
        return "a character device";
    case TFileKind::BlockDevice:
        return "a block device";
    case TFileKind::Socket:
        return "a socket";
    case TFileKind::Other:
        break;
    }
    return "not a regular file";
}
