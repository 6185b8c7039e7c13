#include "SysUtils.h"

#include <charconv>
#include <iostream>
#include <new>
#include <utility>

std::string IntToStr(int value) { return std::to_string(value); }

int StrToInt(const std::string& text) {
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (first != last && *first == '+')
        ++first;
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc() || end != last)
        throw Exception("'" + text + "' is not a valid integer value");
    return value;
}

namespace {

TMessageSink& messageSink() {
    static TMessageSink sink;
    return sink;
}

TMessageKind& shownKind() {
    static TMessageKind kind = TMessageKind::Information;
    return kind;
}

} // namespace

void ShowMessage(const std::string& text, TMessageKind kind) {
    if (!messageSink()) {
        std::cerr << text << '\n';
        return;
    }
    // A message shown from inside another's box (a modal loop) gets its own
    // kind and gives the outer one back.
    const TMessageKind outer = std::exchange(shownKind(), kind);
    try {
        messageSink()(text);
    } catch (...) {
        shownKind() = outer;
        throw;
    }
    shownKind() = outer;
}

TMessageKind ShownMessageKind() { return shownKind(); }

TMessageSink SetMessageSink(TMessageSink sink) { return std::exchange(messageSink(), std::move(sink)); }

std::string ErrorText(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error))
        return "There is not enough memory to complete this operation.";
    return error.what();
}
