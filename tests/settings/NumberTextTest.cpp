#include "settings/NumberText.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
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

TEST(NumberText, ParsesLikeTheCLibraryAtAndBeyondTheEndsOfTheRange) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        const char16_t* text;
        double value;
    } cases[] = {
        {u" 440.5nm", 440.5},      {u"-0x1.8p1", -3.0},
        {u"1e400", inf},           {u"-1e400", -inf},
        {u"+1.8e308x", inf},       {u"123456e99999999999999", inf},
        {u"0.0001e-400", 0.0},     {u"1e-400", 0.0},
        {u"4.9e-324", 4.9e-324},   {u"0x1p5000", inf},
        {u"-0x0.001p-1070", -0.0}, {u"0.000e999", 0.0},
        {u"1000e-2", 10.0},        {u"abc", 0.0},
    };
    for (const auto& c : cases) {
        const double parsed = ParseLeadingNumber(c.text);
        EXPECT_EQ(parsed, c.value) << std::string(c.text,
                                                  c.text + std::char_traits<char16_t>::length(c.text));
        EXPECT_EQ(std::signbit(parsed), std::signbit(c.value));
    }
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
