#include <gtest/gtest.h>

#include "Picture.h"
#include "SysUtils.h"

TEST(InkTable, ResetGivesTheDefaultInks) {
    InkTable inks;
    inks.fill({9, 9, 9});
    Reset_Ink_Table(inks);
    EXPECT_EQ(inks[0], (Ink{0, 0, 0}));
    EXPECT_EQ(inks[1], (Ink{128, 0, 0}));
    EXPECT_EQ(inks[2], (Ink{255, 128, 0}));
    EXPECT_EQ(inks[3], (Ink{255, 255, 255}));
}

TEST(InkTable, ColourNumbersSplitIntoGreenRedBlue) {
    struct Case {
        const char* text;
        Ink ink;
    };
    const Case cases[] = {{"0", {0, 0, 0}},       {"13", {127, 127, 127}}, {"26", {254, 254, 254}},
                          {"15", {254, 127, 0}},  {"21", {127, 254, 0}},   {"2", {0, 0, 254}},
                          {"18", {0, 254, 0}},    {"5", {127, 0, 254}}};
    for (const Case& c : cases) {
        InkTable inks;
        Reset_Ink_Table(inks);
        Set_Ink_From_Text(inks, 2, c.text);
        EXPECT_EQ(inks[2], c.ink) << "colour " << c.text;
        EXPECT_EQ(inks[3], (Ink{255, 255, 255})) << "other inks untouched";
    }
}

TEST(InkTable, RejectsTextThatIsNoColourNumber) {
    InkTable inks;
    Reset_Ink_Table(inks);
    for (const char* text : {"", "27", "-1", "x", "1 2", "3.0"})
        EXPECT_THROW(Set_Ink_From_Text(inks, 0, text), Exception) << "'" << text << "'";
    EXPECT_THROW(Set_Ink_From_Text(inks, 4, "1"), Exception);
    EXPECT_EQ(inks[0], (Ink{0, 0, 0}));
}
