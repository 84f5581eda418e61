#include "platform/posix/RegFileFormat.h"

#include <gtest/gtest.h>

#include <random>

#include "tests/support/MemoryRegistryKey.h"

namespace {

RegFile SampleFile() {
    RegFile file;
    RegFileKey& config = file.GetKey(u"HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config");
    config.SetValue(SzValue(u"Method", u"3"));
    config.SetValue(SzValue(u"Quotes \"and\" \\slashes\\", u"say \"hi\" C:\\dir\\"));
    config.SetValue(SzValue(u"Lines", u"one\ntwo\r\nthree"));
    config.SetValue(SzValue(u"Accents", u"Gl\u00f6ckner \u65e5\u672c \U0001F514"));
    config.SetValue(SzValue(u"", u"default value"));
    config.SetValue(SzValue(u"Empty", u""));
    config.SetValue(DwordValue(u"Count", 0xDEADBEEF));
    config.SetValue(RawValue(u"Binary", RegType::Binary, std::u16string(40, u'\x1234')));
    config.SetValue({u"NoBytes", RegType::Binary, {}});
    config.SetValue(RawValue(u"Multi", RegType::MultiSz, std::u16string(u"ab\0cd\0\0", 7)));
    config.SetValue(RawValue(u"Expand", RegType::ExpandSz, u"%HOME%\\x\0"));
    config.SetValue(RawValue(u"Unpaired", RegType::Sz,
                             std::u16string(u"a\xD800"
                                            u"b\0",
                                            4)));
    config.SetValue({u"Odd", RegType::Sz, {0x41, 0x00, 0x42}});
    config.SetValue({u"Qword", 0xb, {1, 2, 3, 4, 5, 6, 7, 8}});
    file.GetKey(u"HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Wavelength")
        .SetValue(SzValue(u"Bottom", u"440.000000"));
    return file;
}

void ExpectSameFile(const RegFile& a, const RegFile& b) {
    ASSERT_EQ(a.keys.size(), b.keys.size());
    for (std::size_t k = 0; k < a.keys.size(); ++k) {
        EXPECT_EQ(a.keys[k].path, b.keys[k].path);
        ASSERT_EQ(a.keys[k].values.size(), b.keys[k].values.size());
        for (std::size_t v = 0; v < a.keys[k].values.size(); ++v) {
            const RegValue& x = a.keys[k].values[v];
            const RegValue& y = b.keys[k].values[v];
            EXPECT_EQ(x.name, y.name);
            EXPECT_EQ(x.type, y.type) << v;
            EXPECT_EQ(x.data, y.data) << v;
        }
    }
}

std::string Utf16LeWithBom(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t u : text) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

}  // namespace

TEST(RegFileFormat, EveryTypeRoundTrips) {
    const RegFile original = SampleFile();
    const std::string text = FormatRegFile(original);
    const auto parsed = ParseRegFile(text);
    ASSERT_TRUE(parsed.has_value()) << text;
    ExpectSameFile(original, *parsed);
    EXPECT_EQ(FormatRegFile(*parsed), text);
}

TEST(RegFileFormat, WritesTheReadableExportForm) {
    const std::string text = FormatRegFile(SampleFile());
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\n\n"
                         "[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]\n\"Method\"=\"3\"\n",
                         0),
              0u)
        << text;
    for (const char* line : {"\"Quotes \\\"and\\\" \\\\slashes\\\\\"=\"say \\\"hi\\\" C:\\\\dir\\\\\"\n",
                             "\"Count\"=dword:deadbeef\n", "@=\"default value\"\n", "\"Empty\"=\"\"\n",
                             "\"Accents\"=\"Gl\xC3\xB6"
                             "ckner \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x94\x94\"\n",
                             "\"Multi\"=hex(7):61,00,62,00,00,00,63,00,64,00,00,00,00,00\n",
                             "\"Lines\"=hex(1):", "\"NoBytes\"=hex:\n",
                             "\"Qword\"=hex(b):01,02,03,04,05,06,07,08\n", ",\\\n  "}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
    }
}

TEST(RegFileFormat, ReadsTheRegistryEditorsUtf16ExportWithCrLf) {
    const std::u16string exported =
        u"Windows Registry Editor Version 5.00\r\n\r\n"
        u"[HKEY_CURRENT_USER\\Software\\Tovarin\\LucentaScr\\Config]\r\n"
        u"\"Method\"=\"7\"\r\n"
        u"\"Show Treble\"=dword:00000001\r\n"
        u"\"Path\"=hex(2):25,00,55,00,53,00,45,00,52,00,25,00,00,00\r\n"
        u"\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
        u"  15,16\r\n"
        u"; a comment\r\n"
        u"\"Gone\"=-\r\n"
        u"\r\n"
        u"[-HKEY_CURRENT_USER\\Software\\Old]\r\n"
        u"\"Ignored\"=\"x\"\r\n";
    const auto parsed = ParseRegFile(Utf16LeWithBom(exported));
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->keys.size(), 1u);
    const std::vector<RegValue>& values = parsed->keys[0].values;
    ASSERT_EQ(values.size(), 4u);
    EXPECT_EQ(TextOf(values[0]), std::u16string(u"7\0", 2));
    EXPECT_EQ(values[1].data, DwordValue(u"", 1).data);
    EXPECT_EQ(values[2].type, RegType::ExpandSz);
    EXPECT_EQ(values[3].data.size(), 23u);
    EXPECT_EQ(values[3].data.back(), 0x16);
}

TEST(RegFileFormat, ARepeatedNameKeepsItsPlaceAndTakesTheLastValue) {
    const auto parsed = ParseRegFile(
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n\"z\"=\"3\"\n"
        "[HKEY_CURRENT_USER\\B]\n\"x\"=\"b\"\n"
        "[hkey_current_user\\a]\n\"X\"=\"4\"\n\"Y\"=-\n\"z\"=\"5\"\n\"y\"=\"6\"\n");
    ASSERT_TRUE(parsed.has_value());
    ASSERT_EQ(parsed->keys.size(), 2u);
    std::u16string read;
    for (const RegValue& value : parsed->keys[0].values) {
        read += value.name + u"=" + TextOf(value).substr(0, 1) + u" ";
    }
    EXPECT_EQ(read, u"X=4 z=5 y=6 ");
    EXPECT_EQ(parsed->keys[1].values.size(), 1u);
}

TEST(RegFileFormat, ReadsUtf8WithByteOrderMarkOldHeaderAndOldMacLineEnds) {
    EXPECT_TRUE(ParseRegFile(
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n"));
    EXPECT_TRUE(ParseRegFile("REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:1\n"));
    const auto crOnly =
        ParseRegFile("REGEDIT4\r\r[HKEY_CURRENT_USER\\A]\r\"x\"=\"1\"\r\"y\"=hex:01,\\\r  02\r");
    ASSERT_TRUE(crOnly.has_value());
    EXPECT_EQ(crOnly->keys.at(0).values.size(), 2u);
}

TEST(RegFileFormat, RejectsWhatIsNotAnExport) {
    const char* bad[] = {
        "",
        "hello\n",
        "Windows Registry Editor Version 5.00\n\"x\"=\"value before any key\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"unterminated\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"a\" trailing\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=dword:123456789\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:1g\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01,\\\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=unknown:1\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"bad \\escape\"=\"1\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\nx=\"unquoted name\"\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n\"x\"=\"\xC3\x28\"\n",
        "\xFF\xFEW\x00x",
    };
    for (const char* text : bad) {
        EXPECT_FALSE(ParseRegFile(text).has_value()) << text;
    }
}

TEST(RegFileFormat, ReadingWhatCanBeReadDropsOnlyTheBadLines) {
    const std::string text =
        "Windows Registry Editor Version 5.00\n"  // 1
        "[HKEY_CURRENT_USER\\A]\n"                // 2
        "\"Method\"=\"6\"\n"                      // 3
        "\"Path\"=\"C:\\Temp\"\n"                 // 4: unescaped backslash
        "\"n\"=dword: 1\n"                        // 5: space after the colon
        "\"h\"=hex:01,02 ; note\n"                // 6: comment after hex data
        "\"Show Treble\"=\"0\"\n"                 // 7
        "[HKEY_CURRENT_USER\\B\n"                 // 8: no closing bracket
        "\"orphan\"=\"1\"\n"                      // 9: belongs to no key
        "[HKEY_CURRENT_USER\\C]\n"                // 10
        "\"h\"=hex:01,\\\n"                       // 11: continued ...
        "  02\n"                                  // 12: ... here
        "\"Sp\xE9"
        "ed\"=\"60\"\n"        // 13: a byte that is not UTF-8 (Latin-1)
        "\"Kept\"=\"1\"\r\n";  // 14
    EXPECT_FALSE(ParseRegFile(text).has_value());
    std::vector<std::size_t> dropped;
    auto parsed = ParseRegFile(text, &dropped);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(dropped, (std::vector<std::size_t>{4, 5, 6, 8, 9, 13}));
    const RegFileKey* a = parsed->FindKey(u"HKEY_CURRENT_USER\\A");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->values.size(), 2u);
    EXPECT_EQ(a->values[0].name, u"Method");
    EXPECT_EQ(a->values[1].name, u"Show Treble");
    EXPECT_EQ(parsed->FindKey(u"HKEY_CURRENT_USER\\B"), nullptr);
    const RegFileKey* c = parsed->FindKey(u"HKEY_CURRENT_USER\\C");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->values.at(0).data, (std::vector<std::uint8_t>{1, 2}));
    EXPECT_EQ(c->values.at(1).name, u"Kept");

    EXPECT_FALSE(ParseRegFile("not a registry file\n\"x\"=\"1\"\n", &dropped).has_value());
}

TEST(RegFileFormat, RandomAndTruncatedInputNeverCrashes) {
    const std::string valid = FormatRegFile(SampleFile());
    for (std::size_t cut = 0; cut <= valid.size(); ++cut) {
        const auto parsed = ParseRegFile(valid.substr(0, cut));
        if (parsed) {
            EXPECT_TRUE(ParseRegFile(FormatRegFile(*parsed)).has_value()) << "cut at " << cut;
        }
    }
    std::mt19937 random(12345);
    const std::string alphabet = "[]\"\\=@:,;-\n\r hexdword(7)0123456789abcdefHKEY_\xC3\xA9\xFF\xFE";
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 2 == 0 ? "Windows Registry Editor Version 5.00\n" : valid;
        const int edits = 1 + static_cast<int>(random() % 12);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % (text.size() + 1);
            const char c = alphabet[random() % alphabet.size()];
            if (random() % 3 == 0 && at < text.size()) {
                text.erase(at, 1 + random() % 8);
            } else {
                text.insert(at, 1 + random() % 4, c);
            }
        }
        const auto parsed = ParseRegFile(text);
        if (parsed) {
            EXPECT_TRUE(ParseRegFile(FormatRegFile(*parsed)).has_value()) << text;
        }
    }
}
