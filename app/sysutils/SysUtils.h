#pragma once

#include <functional>
#include <stdexcept>
#include <string>

// The error type the program raises; its text is what the user is shown.
class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Integer to decimal text and back. StrToInt accepts an optional sign and
// decimal digits only, and raises an Exception naming the text otherwise.
std::string IntToStr(int value);
int StrToInt(const std::string& text);

// The simple modal message box. Where it goes is decided by whoever runs the
// program: the windowed program shows a box, the command-line converter and
// the tests install their own sink. Without a sink the text goes to stderr.
using TMessageSink = std::function<void(const std::string& text)>;
// What a message tells: a box shows the kind's icon.
enum class TMessageKind { Information, Warning, Error };
void ShowMessage(const std::string& text, TMessageKind kind = TMessageKind::Information);
// The kind of the message a sink is being given now (Information outside a
// sink's call), so a sink that shows boxes can pick the icon.
TMessageKind ShownMessageKind();
// Installs a sink and returns the one it replaces.
TMessageSink SetMessageSink(TMessageSink sink);

// The text of whatever error is in flight, for the places that show errors:
// an Exception's own text, a plain words note for running out of memory.
std::string ErrorText(const std::exception& error);
