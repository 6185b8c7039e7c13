#include "TiffMessages.h"

#include <QtGlobal>
#include <atomic>
#include <cstdarg>
#include <cstdio>
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
