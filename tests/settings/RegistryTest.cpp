#include "settings/Registry.h"

#include <gtest/gtest.h>

#include <cmath>

#include "tests/support/AssertRecorder.h"
#include "tests/support/MemoryRegistryKey.h"
#include "tests/support/RegistrySandbox.h"

namespace {

// A store loaded from a memory key holding `values`; `data` shows what it writes.
struct LoadedStore {
    explicit LoadedStore(std::vector<RegValue> values) : data(std::make_shared<MemoryKeyData>()) {
        data->values = std::move(values);
        EXPECT_TRUE(store.Attach(std::make_unique<MemoryRegistryKey>(data)));
    }
    std::shared_ptr<MemoryKeyData> data;
    CRegistry store;
};

}  // namespace

TEST(Registry, DwordReadsAsUnsignedNumberSignedIntegerAndDecimalText) {
    LoadedStore loaded({DwordValue(u"All", 0xFFFFFFFFu), DwordValue(u"Three", 3)});
    CRegEntry& all = loaded.store.GetEntry(u"All");
    EXPECT_EQ(all.GetType(), RegType::Dword);
    EXPECT_EQ(all.GetNumber(), 4294967295.0);
    EXPECT_EQ(all.GetInteger(), -1);
    EXPECT_EQ(std::u16string(all.GetString()), u"4294967295");
    EXPECT_EQ(loaded.store.GetEntry(u"Three").GetInteger(), 3);
}

struct TextCase {
    const char16_t* text;
    double number;
    int integer;
};

TEST(Registry, TextReadsByItsLeadingNumber) {
    const TextCase cases[] = {
        {u"12abc", 12.0, 12},
        {u"abc", 0.0, 0},
        {u"440.000000", 440.0, 440},
        {u"  -5", -5.0, -5},
        {u"+2.5e1x", 25.0, 2},
        {u"", 0.0, 0},
        {u"0x10", 16.0, 0},
        {u"99999999999", 99999999999.0, 2147483647},
        {u"-99999999999", -99999999999.0, -2147483647 - 1},
        {u"\t3", 3.0, 3},
        {u"- 3", 0.0, 0},
        {u".5", 0.5, 0},
    };
    for (const TextCase& c : cases) {
        CRegistry store;
        CRegEntry& entry = store.GetEntry(u"Value");
        entry.SetString(c.text);
        EXPECT_EQ(entry.GetNumber(), c.number)
            << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));
        EXPECT_EQ(entry.GetInteger(), c.integer);
    }
}

TEST(Registry, NotANumberTextReadsAsNan) {
    CRegistry store;
    EXPECT_TRUE(std::isnan(store.GetEntry(u"Bottom").SetString(u"nan").GetNumber()));
    EXPECT_TRUE(std::isinf(store.GetEntry(u"Top").SetString(u"-inf").GetNumber()));
}

TEST(Registry, EntryWithoutValueReadsAsZeroAndEmpty) {
    CRegistry store;
    CRegEntry& entry = store.GetEntry(u"Bottom");
    EXPECT_FALSE(entry.HasValue());
    EXPECT_EQ(entry.GetNumber(), 0.0);
    EXPECT_EQ(entry.GetInteger(), 0);
    EXPECT_EQ(std::u16string(entry.GetString()), u"");
}

TEST(Registry, NamesAreFoundWithoutRegardToCase) {
    CRegistry store;
    CRegEntry& method = store.GetEntry(u"Method");
    EXPECT_EQ(&store.GetEntry(u"method"), &method);
    EXPECT_EQ(&store.GetEntry(u"METHOD"), &method);
    EXPECT_NE(&store.GetEntry(u"Methods"), &method);
    EXPECT_EQ(method.GetName(), u"Method");
}

TEST(Registry, LoadsTheFourTypesAndSkipsTheRest) {
    AssertRecorder recorder;
    LoadedStore loaded({
        SzValue(u"Text", u"hello"),
        RawValue(u"Cut", RegType::Sz, std::u16string(u"ab\0cd", 5)),
        RawValue(u"Expand", RegType::ExpandSz, u"%PATH%\0"),
        RawValue(u"Multi", RegType::MultiSz, std::u16string(u"ab\0cd\0\0", 7)),
        RawValue(u"Binary", RegType::Binary, u"42\0"),
        {u"Empty", RegType::Binary, {}},
        {u"Qword", 11, std::vector<std::uint8_t>(8, 1)},
        SzValue(std::u16string(259, u'n'), u"long name"),
        SzValue(std::u16string(260, u'm'), u"too long a name"),
        RawValue(u"Big", RegType::Binary, std::u16string(1025, u'x')),
    });
    CRegistry& store = loaded.store;
    EXPECT_EQ(std::u16string(store.GetEntry(u"Text").GetString()), u"hello");
    EXPECT_EQ(std::u16string(store.GetEntry(u"Cut").GetString()), u"ab");
    EXPECT_FALSE(store.GetEntry(u"Expand").HasValue());
    EXPECT_EQ(store.GetEntry(u"Expand").GetNumber(), 0.0);
    EXPECT_EQ(std::u16string(store.GetEntry(u"Multi").GetString()), u"ab");
    EXPECT_EQ(store.GetEntry(u"Multi").GetInteger(), 0);
    EXPECT_EQ(store.GetEntry(u"Binary").GetInteger(), 42);
    EXPECT_EQ(store.GetEntry(u"Binary").GetNumber(), 42.0);
    EXPECT_FALSE(store.GetEntry(u"Empty").HasValue());
    EXPECT_FALSE(store.GetEntry(u"Qword").HasValue());
    EXPECT_TRUE(store.GetEntry(std::u16string(259, u'n')).HasValue());
    EXPECT_FALSE(store.GetEntry(std::u16string(260, u'm')).HasValue());
    EXPECT_FALSE(store.GetEntry(u"Big").HasValue());

    EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"nLen"});
    EXPECT_EQ(AssertRecorder::Reports()[0].source, "Registry");
    EXPECT_GT(AssertRecorder::Reports()[0].line, 0);
    EXPECT_TRUE(loaded.data->writes.empty()) << "loading never writes back";
}

TEST(Registry, EveryAssignmentIsWrittenThroughAtOnce) {
    LoadedStore loaded({});
    CRegistry& store = loaded.store;
    store.GetEntry(u"Bottom");
    EXPECT_TRUE(loaded.data->writes.empty()) << "creating an entry writes nothing";

    store.GetEntry(u"Gamma").SetNumber(2.4);
    store.GetEntry(u"Count").SetDword(7);
    const std::uint8_t bytes[] = {1, 2, 3};
    store.GetEntry(u"Blob").SetBinary(bytes, 3);
    const char16_t image[] = u"ab\0cd\0";  // 7 units with the literal's terminator
    store.GetEntry(u"List").SetMultiString(image, 7);

    const std::vector<RegValue>& writes = loaded.data->writes;
    ASSERT_EQ(writes.size(), 4u);
    EXPECT_EQ(writes[0].name, u"Gamma");
    EXPECT_EQ(writes[0].type, RegType::Sz);
    EXPECT_EQ(TextOf(writes[0]), std::u16string(u"2.400000\0", 9));
    EXPECT_EQ(writes[1].data, DwordValue(u"", 7).data);
    EXPECT_EQ(writes[1].type, RegType::Dword);
    EXPECT_EQ(writes[2].data, std::vector<std::uint8_t>(bytes, bytes + 3));
    EXPECT_EQ(writes[3].type, RegType::MultiSz);
    EXPECT_EQ(writes[3].data.size(), 14u);
}

TEST(Registry, StoreWithoutKeyKeepsValuesInMemory) {
    CRegistry store;
    CRegEntry& gamma = store.GetEntry(u"Gamma").SetNumber(2.4);
    EXPECT_EQ(gamma.GetNumber(), 2.4);
    EXPECT_EQ(std::u16string(gamma.GetString()), u"2.400000");
    EXPECT_FALSE(store.IsOpen());
    EXPECT_FALSE(store.LoadValues());
}

TEST(Registry, ClosedStoreStopsWriting) {
    LoadedStore loaded({});
    loaded.store.CloseKey();
    loaded.store.GetEntry(u"Method").SetString(u"3");
    EXPECT_TRUE(loaded.data->writes.empty());
    EXPECT_EQ(loaded.store.GetEntry(u"Method").GetInteger(), 3);
}

TEST(Registry, LongTextIsReportedCutInMemoryAndWrittenWhole) {
    AssertRecorder recorder;
    LoadedStore loaded({});
    CRegEntry& entry = loaded.store.GetEntry(u"Long");
    entry.SetString(std::u16string(1023, u'a'));
    EXPECT_TRUE(recorder.Expressions().empty()) << "1023 characters and the terminator fit in 2048 bytes";
    entry.SetString(std::u16string(3000, u'b'));
    EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"nValueLen <= _MAX_REG_VALUE"});
    EXPECT_EQ(std::u16string(entry.GetString()), std::u16string(2047, u'b'));
    ASSERT_EQ(loaded.data->writes.size(), 2u);
    EXPECT_EQ(loaded.data->writes[1].data.size(), 3001u * 2);
}

TEST(Registry, OverlongNameIsReportedAndStillFound) {
    AssertRecorder recorder;
    CRegistry store;
    store.GetEntry(std::u16string(2047, u'n'));
    EXPECT_TRUE(recorder.Expressions().empty());
    CRegEntry& entry = store.GetEntry(std::u16string(2048, u'n'));
    EXPECT_EQ(recorder.Expressions(), std::vector<std::string>{"nValueNameLen <= _MAX_REG_VALUE"});
    EXPECT_EQ(&store.GetEntry(std::u16string(2048, u'N')), &entry);
}

struct MultiCase {
    std::u16string image;
    std::vector<std::u16string> strings;  // the list the image holds
};

TEST(Registry, MultiStringImages) {
    const MultiCase cases[] = {
        {std::u16string(u"ab\0cd\0\0", 7), {u"ab", u"cd"}},
        {std::u16string(u"ab\0cd", 5), {u"ab"}},  // the last string has no terminator
        {std::u16string(u"a\0\0b\0\0", 6), {u"a", u"", u"b"}},
        {std::u16string(u"a\0", 2), {}},  // two characters or fewer: no strings
        {std::u16string(), {}},
    };
    for (const MultiCase& c : cases) {
        CRegistry store;
        CRegEntry& entry = store.GetEntry(u"List").SetMultiString(c.image.data(), c.image.size());
        std::u16string expected;
        for (const std::u16string& text : c.strings) {
            expected += text + u'\0';
        }
        expected += u'\0';
        char16_t buffer[32];
        entry.GetMultiString(buffer, 32);
        EXPECT_EQ(std::u16string(buffer, expected.size()), expected);
        EXPECT_EQ(std::u16string(entry.GetString()), c.strings.empty() ? u"" : c.strings[0]);
    }
}

TEST(Registry, MultiStringThatDoesNotFitIsLeftOff) {
    CRegistry store;
    const std::u16string image(u"abc\0de\0\0", 8);
    CRegEntry& entry = store.GetEntry(u"List").SetMultiString(image.data(), image.size());
    char16_t buffer[6];
    entry.GetMultiString(buffer, 6);  // "abc\0" and the final terminator fit; "de\0" does not
    EXPECT_EQ(std::u16string(buffer, 5), std::u16string(u"abc\0\0", 5));
    entry.SetString(u"plain");
    entry.GetMultiString(buffer, 6);
    EXPECT_EQ(buffer[0], u'\0') << "another type gives an empty image";
}

TEST(Registry, OpensCreatesAndLoadsTheKeyThroughThePlatform) {
    RegistrySandbox sandbox;
    const std::u16string path = sandbox.ScratchKey(u"Open");
    {
        CRegistry store;
        EXPECT_TRUE(store.OpenKey(path, RegRoot::CurrentUser, RegAccess::QueryValue | RegAccess::SetValue));
        EXPECT_EQ(store.GetEntry(u"Bottom").GetNumber(), 0.0);
        store.GetEntry(u"Method").SetString(u"3");
        store.GetEntry(u"Count").SetDword(0xFFFFFFFFu);
    }
    CRegistry again;
    EXPECT_TRUE(again.OpenKey(path, RegRoot::CurrentUser, RegAccess::QueryValue | RegAccess::SetValue));
    EXPECT_EQ(again.GetEntry(u"Method").GetInteger(), 3);
    EXPECT_EQ(again.GetEntry(u"Method").GetType(), RegType::Sz);
    EXPECT_EQ(again.GetEntry(u"Count").GetInteger(), -1);
    EXPECT_FALSE(again.GetEntry(u"Bottom").HasValue()) << "reading an entry wrote nothing";
}

TEST(Registry, AWriteTheKeyRefusesIsReportedUntilCleared) {
    LoadedStore loaded({});
    loaded.store.GetEntry(u"A").SetString(u"1");
    EXPECT_EQ(loaded.store.WriteFailure(), "");
    loaded.data->refusal = "Access is denied.";
    loaded.store.GetEntry(u"B").SetString(u"2");
    loaded.data->refusal = "Disk full";
    loaded.store.GetEntry(u"C").SetString(u"3");
    EXPECT_EQ(loaded.store.WriteFailure(), "Access is denied.") << "the first failure is the one kept";
    EXPECT_EQ(std::u16string(loaded.store.GetEntry(u"C").GetString()), u"3") << "the value stays in memory";
    loaded.store.ClearWriteFailure();
    EXPECT_EQ(loaded.store.WriteFailure(), "");

    CRegistry inMemory;  // never bound to a key: assignments are meant to stay in memory
    inMemory.GetEntry(u"Gamma").SetNumber(2.4);
    EXPECT_EQ(inMemory.WriteFailure(), "");
}
