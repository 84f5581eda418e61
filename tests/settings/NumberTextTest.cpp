#include "settings/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

TEST(NumberText, FixedFormatHasSixDecimalsAndAPoint) {
    EXPECT_EQ(FormatFixed(440), u"440.000000");
    EXPECT_EQ(FormatFixed(2.4), u"2.400000");
    EXPECT_EQ(FormatFixed(-5), u"-5.000000");
    EXPECT_EQ(FormatFixed(0.0000004), u"0.000000");
    EXPECT_EQ(FormatFixed(0.0000015), u"0.000002");
    EXPECT_EQ(FormatFixed(123456789.125), u"123456789.125000");
    EXPECT_EQ(FormatInteger(-17), u"-17");
    EXPECT_EQ(FormatInteger(4294967295LL), u"4294967295");
}

TEST(NumberText, UserLocaleDoesNotChangeTheDecimalPoint) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    bool switched = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "German_Germany.1252"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            switched = true;
            break;
        }
    }
    const std::u16string formatted = FormatFixed(440.5);
    const double parsed = ParseLeadingNumber(u"2.5");
    std::setlocale(LC_ALL, saved.c_str());
    if (!switched) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    EXPECT_EQ(formatted, u"440.500000");
    EXPECT_EQ(parsed, 2.5);
}
