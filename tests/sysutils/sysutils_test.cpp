#include <gtest/gtest.h>

#include <new>

#include "SysUtils.h"

TEST(DecimalText, RoundTripsIntegers) {
    for (int value : {0, 7, -3, 26, 2147483647, -2147483647 - 1})
        EXPECT_EQ(StrToInt(IntToStr(value)), value);
    EXPECT_EQ(StrToInt("+12"), 12);
}

TEST(DecimalText, MalformedTextRaisesAClearError) {
    for (const char* text : {"", " 1", "1 ", "0x10", "12a", "+", "-", "99999999999"}) {
        try {
            StrToInt(text);
            FAIL() << "'" << text << "' was accepted";
        } catch (const Exception& error) {
            EXPECT_NE(std::string(error.what()).find(std::string("'") + text + "'"), std::string::npos);
        }
    }
}

TEST(MessageBox, GoesToTheInstalledSinkUntilItIsReplaced) {
    std::vector<std::string> shown;
    TMessageSink previous = SetMessageSink([&](const std::string& text) { shown.push_back(text); });
    ShowMessage("first");
    TMessageSink mine = SetMessageSink(previous);
    ShowMessage("not recorded");
    mine("second");
    EXPECT_EQ(shown, (std::vector<std::string>{"first", "second"}));
}

TEST(MessageBox, ErrorTextIsPlainForRunningOutOfMemory) {
    EXPECT_EQ(ErrorText(Exception("Cannot load \"a.bmp\": broken")), "Cannot load \"a.bmp\": broken");
    const std::string memory = ErrorText(std::bad_alloc());
    EXPECT_NE(memory.find("memory"), std::string::npos);
    EXPECT_EQ(memory.find("bad_alloc"), std::string::npos);
}
