#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <cmath>

#include "settings/RunSettings.h"
#include "tests/support/RegistrySandbox.h"

namespace {

struct Stored {
    std::u16string bottom, top, intensity, background, method, showTreble;
};

Stored Read() {
    CSettings settings;
    auto text = [](CRegistry& store, const char16_t* name) {
        CRegEntry& entry = store.GetEntry(name);
        return entry.HasValue() ? std::u16string(entry.GetString()) : u"<none>";
    };
    return {text(settings.Wavelength(), kBottom),    text(settings.Wavelength(), kTop),
            text(settings.Wavelength(), kIntensity), text(settings.Config(), kBackground),
            text(settings.Config(), kMethod),        text(settings.Config(), kShowTreble)};
}

void Store(CRegistry& (CSettings::*store)(), const char16_t* name, const std::u16string& text) {
    CSettings settings;
    (settings.*store)().GetEntry(name).SetString(text);
}

std::string Show(const Stored& s) {
    std::u16string all = s.bottom + u" " + s.top + u" " + s.intensity + u" " + s.background + u" " +
                         s.method + u" " + s.showTreble;
    return std::string(all.begin(), all.end());
}

}  // namespace

TEST(Settings, FirstRunWritesTheSixDefaultsAsText) {
    RegistrySandbox sandbox;
    {
        CSettings settings;
        settings.WriteDefaults();
        EXPECT_EQ(settings.Wavelength().GetEntry(kBottom).GetNumber(), 440.0);
        EXPECT_EQ(settings.Config().GetEntry(kShowTreble).GetInteger(), 1);
    }
    EXPECT_EQ(Show(Read()), "440.000000 640.000000 1.000000 0 0 1");
}

TEST(Settings, ChoicesSavedBeforeTheFirstRunSurviveIt) {
    RegistrySandbox sandbox;
    Store(&CSettings::Config, kMethod, u"3");
    Store(&CSettings::Config, kShowTreble, u"0");
    Store(&CSettings::Wavelength, kTop, u"600");
    CSettings settings;
    settings.WriteDefaults();
    EXPECT_EQ(Show(Read()), "440.000000 600 1.000000 0 3 0");
}

// The saver's first run reads the keys when it starts and writes the defaults when
// it sets the picture up; a choice that the dialog stored in between stays.
TEST(Settings, FirstRunKeepsAChoiceStoredAfterItsKeysWereRead) {
    RegistrySandbox sandbox;
    CSettings saver;
    Store(&CSettings::Config, kMethod, u"3");
    Store(&CSettings::Wavelength, kTop, u"600");
    saver.WriteDefaults();
    EXPECT_EQ(saver.Config().GetEntry(kMethod).GetInteger(), 3);
    EXPECT_EQ(saver.Wavelength().GetEntry(kTop).GetNumber(), 600.0);
    EXPECT_EQ(Show(Read()), "440.000000 600 1.000000 0 3 1");
}

TEST(Settings, BottomOfZeroOrLessResetsAllSix) {
    for (const char16_t* bottom : {u"0", u"-5", u"abc"}) {
        RegistrySandbox sandbox;
        Store(&CSettings::Wavelength, kBottom, bottom);
        Store(&CSettings::Config, kMethod, u"6");
        Store(&CSettings::Config, kBackground, u"1");
        Store(&CSettings::Wavelength, kIntensity, u"0.5");
        CSettings settings;
        settings.WriteDefaults();
        EXPECT_EQ(Show(Read()), "440.000000 640.000000 1.000000 0 0 1");
    }
}

TEST(Settings, PositiveOrNanBottomWritesNothing) {
    for (const char16_t* bottom : {u"500", u"nan"}) {
        RegistrySandbox sandbox;
        Store(&CSettings::Wavelength, kBottom, bottom);
        Store(&CSettings::Config, kMethod, u"6");
        CSettings settings;
        settings.WriteDefaults();
        const Stored stored = Read();
        EXPECT_EQ(stored.bottom, bottom);
        EXPECT_EQ(stored.top, u"<none>");
        EXPECT_EQ(stored.method, u"6");
        EXPECT_EQ(stored.showTreble, u"<none>");
    }
}

TEST(Settings, TwoSettingsDoNotSeeEachOthersLaterWrites) {
    RegistrySandbox sandbox;
    CSettings drawing;
    CSettings dialog;
    dialog.Config().GetEntry(kMethod).SetString(u"5");
    EXPECT_FALSE(drawing.Config().GetEntry(kMethod).HasValue());
    CSettings later;
    EXPECT_EQ(later.Config().GetEntry(kMethod).GetInteger(), 5);
}

TEST(Settings, IntegersAreWrittenAsDecimalText) {
    RegistrySandbox sandbox;
    {
        CSettings settings;
        CSettings::SetInteger(settings.Config().GetEntry(kMethod), -12);
    }
    EXPECT_EQ(Read().method, u"-12");
}

TEST(Settings, OverridesStandInForTheStoredValuesAndAreNeverWritten) {
    RegistrySandbox sandbox;
    Store(&CSettings::Config, kMethod, u"3");
    {
        CSettings run;
        ApplyOverrides(run, SettingsOverrides{{{kMethod, 6}, {kShowTreble, 0}, {kTop, 600.5}}});
        EXPECT_EQ(run.Config().GetEntry(kMethod).GetInteger(), 6);
        EXPECT_EQ(run.Config().GetEntry(kShowTreble).GetInteger(), 0);
        EXPECT_EQ(run.Wavelength().GetEntry(kTop).GetNumber(), 600.5);
        EXPECT_EQ(run.Wavelength().GetEntry(kBottom).GetNumber(), 440.0) << "the rest as stored";
        run.WriteDefaults();  // as each set-up of the picture does
        EXPECT_EQ(run.Config().GetEntry(kMethod).GetInteger(), 6);
    }
    EXPECT_EQ(Show(Read()), "440.000000 640.000000 1.000000 0 3 1")
        << "the first run's defaults, not the overrides";

    CSettings plain;
    ApplyOverrides(plain, SettingsOverrides{});
    EXPECT_TRUE(plain.Config().IsOpen()) << "without overrides the keys stay bound";
}

TEST(Settings, MethodsAreNamedByTheirNumberOrTheirName) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"1", 0},
        {"8", 7},
        {"10", 9},
        {"0", std::nullopt},
        {"9", std::nullopt},
        {"11", std::nullopt},
        {"-1", std::nullopt},
        {"+7", std::nullopt},
        {"plain hunt", 0},
        {"Plain-Hunt", 0},
        {"STEDMAN", 7},
        {"double-oxford-bob", 2},
        {"", std::nullopt},
        {"plain", std::nullopt},
        {"plain  hunt", std::nullopt},
        {"99999999999", std::nullopt},
        {"plain_hunt", std::nullopt},
    };
    for (const auto& [text, index] : cases) {
        EXPECT_EQ(MethodIndexNamed(text), index) << text;
    }
}
