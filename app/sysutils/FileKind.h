#pragma once

#include <string>

// What a path names, links followed, as far as reading or replacing it is
// concerned. Only regular files (and missing ones, for writing) are safe:
// a pipe or device has no size to bound a read by, and replacing one by a
// file would destroy it.
enum class TFileKind { Missing, Regular, Folder, NamedPipe, CharacterDevice, BlockDevice, Socket, Other };

TFileKind FileKindOf(const std::string& fileName);

// "a named pipe", "a character device", ... for the messages that refuse one.
std::string FileKindText(TFileKind kind);
