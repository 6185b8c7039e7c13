#include "TiffMessages.h"

#include <QtGlobal>
#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <string_view>
#include <dlfcn.h>

namespace {

// libtiff's handler type and the functions that install one.
using TiffHandler = void (*)(const char* module, const char* format, va_list arguments);
using SetTiffHandler = TiffHandler (*)(TiffHandler handler);

void toQtLogging(const char* module, const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    qWarning("%s%s%s", module ? module : "", module ? ": " : "", text);
}

std::atomic<bool> gRouted{false};

// libtiff's words for a directory it could not read, then the directory's offset.
constexpr std::string_view kDirectoryUnread = "Failed to read directory at offset ";
// Longest piece of libtiff's own text kept after the plain words.
constexpr std::size_t kDetailChars = 60;

bool mentions(const std::string& text, std::string_view words) {
    return text.find(words) != std::string::npos;
}

} // namespace

void routeTiffMessagesThroughQt() {
    if (gRouted)
        return;
    // Only a library already loaded: this never loads libtiff itself.
    void* library = dlopen("libtiff.so.6", RTLD_NOW | RTLD_NOLOAD);
    if (!library)
        return;
    for (const char* name : {"TIFFSetErrorHandler", "TIFFSetWarningHandler"})
        if (const auto set = reinterpret_cast<SetTiffHandler>(dlsym(library, name)))
            set(toQtLogging);
    dlclose(library);
    gRouted = true;
}

std::string plainTiffReason(const std::string& libtiffText, long long fileBytes) {
    if (const std::size_t at = libtiffText.find(kDirectoryUnread); at != std::string::npos) {
        const long long offset = std::atoll(libtiffText.c_str() + at + kDirectoryUnread.size());
        return offset >= fileBytes ? "a directory lies past the end of the file" : "a directory is cut short";
    }
    if (mentions(libtiffText, "Can not read TIFF directory") || mentions(libtiffText, "directory count"))
        return "a directory is cut short";
    if (mentions(libtiffText, "Read error") || mentions(libtiffText, "Not enough data") ||
        mentions(libtiffText, "Seek error") || mentions(libtiffText, "Premature end"))
        return "its data is cut short";
    // No plain words for it: the start of libtiff's text, on one line.
    std::string detail = libtiffText.substr(0, kDetailChars);
    for (char& c : detail)
        if (c == '\n' || c == '\r')
            c = ' ';
    return "its data is damaged (libtiff: " + detail + (libtiffText.size() > kDetailChars ? "...)" : ")");
}
