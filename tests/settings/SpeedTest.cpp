#include "settings/Speed.h"

#include <gtest/gtest.h>

#include <optional>

#include "tests/support/MemoryRegistryKey.h"

TEST(Speed, StoredValueOrNoneAtAll) {
    struct Case {
        const char* what;
        std::optional<RegValue> stored;
        std::optional<int> speed;
    };
    const Case cases[] = {
        {"missing", std::nullopt, std::nullopt},
        {"60", SzValue(u"Speed", u"60"), 60},
        {"0: unpaced", SzValue(u"Speed", u"0"), 0},
        {"leading zeros", SzValue(u"Speed", u"0240"), 240},
        {"white space", SzValue(u"Speed", u" 240"), std::nullopt},
        {"a sign", SzValue(u"Speed", u"+240"), std::nullopt},
        {"text after the number", SzValue(u"Speed", u"30 rows"), std::nullopt},
        {"hexadecimal", SzValue(u"Speed", u"0x10"), std::nullopt},
        {"an exponent beyond any double", SzValue(u"Speed", u"1e400"), std::nullopt},
        {"a fraction", SzValue(u"Speed", u"60.5"), std::nullopt},
        {"negative", SzValue(u"Speed", u"-5"), std::nullopt},
        {"text", SzValue(u"Speed", u"fast"), std::nullopt},
        {"empty", SzValue(u"Speed", u""), std::nullopt},
        {"huge", SzValue(u"Speed", u"99999999999999"), kMaxSpeed},
        {"just above the limit", SzValue(u"Speed", u"100001"), kMaxSpeed},
        {"binary data that reads as digits", RawValue(u"Speed", RegType::Binary, std::u16string(u"120", 3)),
         120},
        {"a DWORD", DwordValue(u"Speed", 480), 480},
        {"a DWORD above the limit", DwordValue(u"Speed", 5000000), kMaxSpeed},
        {"a DWORD that is negative as an int", DwordValue(u"Speed", 0xFFFFFFFF), std::nullopt},
        {"another type", RawValue(u"Speed", RegType::MultiSz, std::u16string(u"60\0\0", 4)), std::nullopt},
    };
    for (const Case& c : cases) {
        auto data = std::make_shared<MemoryKeyData>();
        if (c.stored) {
            data->values.push_back(*c.stored);
        }
        CRegistry config;
        config.Attach(std::make_unique<MemoryRegistryKey>(data));
        EXPECT_EQ(StoredSpeed(config.GetEntry(kSpeed)), c.speed) << c.what;
    }
}
