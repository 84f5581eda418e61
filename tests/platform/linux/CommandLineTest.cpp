// The one grammar of a run's options, driven through every program that takes it.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "platform/linux/IdleMode.h"
#include "platform/linux/SaverOptions.h"
#include "settings/Speed.h"
#include "tools/RenderOptions.h"

namespace {

enum class Program { Saver, Idle, Render };
constexpr Program kEveryProgram[] = {Program::Saver, Program::Idle, Program::Render};

const char* NameOf(Program program) {
    return program == Program::Saver  ? "lucenta -s"
           : program == Program::Idle ? "lucenta --idle 5"
                                      : "lucenta-render";
}

struct Parsed {
    SettingsOverrides settings;
    bool forceX11 = false;
};

// The words as the program takes them: after "lucenta -s", or after the options
// that lucenta-render needs.
// The idle watcher parses only what it passes on to each saver it starts: `passedOn`.
std::optional<Parsed> Parse(Program program, std::vector<const char*> words, std::string& error,
                            std::vector<std::string>* passedOn = nullptr) {
    if (program == Program::Saver) {
        words.insert(words.begin(), {"lucenta", "-s"});
        const auto options = ParseSaverOptions(static_cast<int>(words.size()), words.data(), error);
        return options ? std::optional<Parsed>({options->run, options->forceX11}) : std::nullopt;
    }
    if (program == Program::Idle) {
        words.insert(words.begin(), {"lucenta", "--idle", "5"});
        const auto options = ParseIdleOptions(static_cast<int>(words.size()), words.data(), error);
        if (options && passedOn != nullptr) {
            *passedOn = options->saverWords;
        }
        return options ? std::optional<Parsed>(Parsed{}) : std::nullopt;
    }
    words.insert(words.begin(),
                 {"lucenta-render", "--width", "8", "--height", "4", "--rows", "1", "--out", "x.png"});
    const auto options = ParseRenderOptions(static_cast<int>(words.size()), words.data(), error);
    return options ? std::optional<Parsed>({options->overrides, false}) : std::nullopt;
}

Parsed With(std::map<std::u16string, double> values, bool forceX11 = false) {
    return {SettingsOverrides{std::move(values)}, forceX11};
}

// The programs that a case names; every program where it names none.
std::vector<Program> ProgramsOf(const std::vector<Program>& named) {
    return named.empty() ? std::vector<Program>(std::begin(kEveryProgram), std::end(kEveryProgram)) : named;
}

void ExpectSame(const Parsed& parsed, const Parsed& expected, const std::string& line) {
    EXPECT_EQ(parsed.forceX11, expected.forceX11) << line;
    EXPECT_EQ(parsed.settings.values, expected.settings.values) << line;
}

}  // namespace

TEST(CommandLine, EachOptionMeansTheSameInEveryProgram) {
    const struct {
        std::vector<const char*> words;
        Parsed parsed;
        std::vector<Program> programs;  // empty: every program
    } cases[] = {
        {{}, {}, {}},
        {{"--method", "7"}, With({{kMethod, 6}}), {}},
        {{"--method", "Cambridge Surprise"}, With({{kMethod, 6}}), {}},
        {{"--treble"}, With({{kShowTreble, 1}}), {}},
        {{"--treble", "--no-treble"}, With({{kShowTreble, 0}}), {}},
        {{"--background", "white"}, With({{kBackground, 1}}), {}},
        {{"--background", "black"}, With({{kBackground, 0}}), {}},
        {{"--bottom", "500", "--top", "600.5", "--intensity", "0.75"},
         With({{kBottom, 500}, {kTop, 600.5}, {kIntensity, 0.75}}),
         {}},
        {{"--speed", "240"}, With({{kSpeed, 240}}), {Program::Saver, Program::Idle}},
        {{"--speed", "0"}, With({{kSpeed, 0}}), {Program::Saver}},
        {{"--speed", "99999999999999999999999"}, With({{kSpeed, kMaxSpeed}}), {Program::Saver}},
        {{"--x11", "--speed", "10"}, With({{kSpeed, 10}}, true), {Program::Saver, Program::Idle}},
        {{"anything", "--else", "--method", "8"}, With({{kMethod, 7}}), {Program::Saver}},
    };
    for (const auto& c : cases) {
        for (const Program program : ProgramsOf(c.programs)) {
            const std::string line = NameOf(program) + (" " + testing::PrintToString(c.words));
            std::string error;
            std::vector<std::string> passedOn;
            const std::optional<Parsed> parsed = Parse(program, c.words, error, &passedOn);
            ASSERT_TRUE(parsed.has_value()) << line << ": " << error;
            if (program == Program::Idle) {
                EXPECT_EQ(passedOn, std::vector<std::string>(c.words.begin(), c.words.end())) << line;
            } else {
                ExpectSame(*parsed, c.parsed, line);
            }
        }
    }
}

TEST(CommandLine, ABadValueOrWordGetsOneLineNamingItAndWhatIsTaken) {
    const struct {
        std::vector<const char*> words;
        const char* said;               // the start of the line
        const char* takes;              // a part of it
        std::vector<Program> programs;  // empty: every program
    } cases[] = {
        {{"--speed"}, "--speed", "rows per second", {Program::Saver, Program::Idle}},
        {{"--speed", "-5"}, "--speed", "rows per second", {Program::Saver, Program::Idle}},
        {{"--speed", "60hz"}, "--speed", "rows per second", {Program::Saver}},
        {{"--speed", "60"}, "--speed", "no speed", {Program::Render}},
        {{"--method"}, "--method", "cambridge-surprise", {}},
        {{"--method", "0"}, "--method", "1 to 8 or 10", {}},
        {{"--method", "grandsire"}, "--method", "a method's name", {}},
        {{"--method", "\xFF"}, "--method", "a method's name", {}},
        {{"--treble", "0"}, "--treble", "--no-treble", {}},
        {{"--treble", "1"}, "--treble", "--no-treble", {}},
        {{"--background", "1"}, "--background", "not 0 or 1, its old form", {}},
        {{"--background", "grey"}, "--background", "black or white", {}},
        {{"--background", "White"}, "--background", "black or white", {}},
        {{"--bottom", "0"}, "--bottom", "above 0", {}},
        {{"--bottom", "-440"}, "--bottom", "above 0", {}},
        {{"--top", "640nm"}, "--top", "wavelength", {}},
        {{"--top", "1e3"}, "--top", "wavelength", {}},
        {{"--top", "nan"}, "--top", "wavelength", {}},
        {{"--intensity", "high"}, "--intensity", "a number", {}},
        {{"--intensity"}, "--intensity", "a number", {}},
        {{"--bogus", "1"}, "unknown option '--bogus'", "", {Program::Render, Program::Idle}},
        {{"--x11"}, "unknown option '--x11'", "", {Program::Render}},
        {{"stray"}, "unexpected word 'stray'", "", {Program::Render, Program::Idle}},
    };
    for (const auto& c : cases) {
        for (const Program program : ProgramsOf(c.programs)) {
            const std::string line = NameOf(program) + (" " + testing::PrintToString(c.words));
            std::string error;
            EXPECT_FALSE(Parse(program, c.words, error).has_value()) << line;
            EXPECT_EQ(error.rfind(c.said, 0), 0u) << line << ": " << error;
            EXPECT_NE(error.find(c.takes), std::string::npos) << line << ": " << error;
            EXPECT_EQ(error.find('\n'), std::string::npos) << line << ": one line";
        }
    }
}

TEST(CommandLine, TheIdleWatcherTakesMinutesAboveZeroAndAtMostADayOrOff) {
    const struct {
        std::vector<const char*> words;         // after "lucenta"
        std::optional<long long> milliseconds;  // std::nullopt: refused with one line
        bool off = false;
    } cases[] = {
        {{"--idle", "5"}, 300000},
        {{"--idle", "0.05"}, 3000},
        {{"--idle", "1440"}, 86400000},
        {{"--idle", "off"}, 0, true},
        {{"--idle"}, std::nullopt},
        {{"--idle", "0"}, std::nullopt},
        {{"--idle", "-1"}, std::nullopt},
        {{"--idle", "1440.5"}, std::nullopt},
        {{"--idle", "5min"}, std::nullopt},
        {{"--idle", "1e1"}, std::nullopt},
        {{"--idle", "off", "--speed", "60"}, std::nullopt},
    };
    for (const auto& c : cases) {
        std::vector<const char*> words = c.words;
        words.insert(words.begin(), "lucenta");
        std::string error;
        const auto options = ParseIdleOptions(static_cast<int>(words.size()), words.data(), error);
        const std::string line = testing::PrintToString(c.words);
        ASSERT_EQ(options.has_value(), c.milliseconds.has_value()) << line << ": " << error;
        if (options) {
            EXPECT_EQ(options->timeout.count(), *c.milliseconds) << line;
            EXPECT_EQ(options->off, c.off) << line;
        } else {
            EXPECT_EQ(error.rfind("--idle", 0), 0u) << line << ": " << error;
        }
    }
}

// xscreensaver's panel and the saver's manual page are written by hand: each must
// offer every option of the table.
TEST(CommandLine, EveryOptionIsOfferedInXscreensaversPanelAndTheManualPage) {
    const auto text = [](const char* file) {
        std::ifstream in(std::string(LUCENTA_SOURCE_DIR "/resources/linux/") + file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const auto roff = [](std::string word) {
        for (std::size_t at = word.find('-'); at != std::string::npos; at = word.find('-', at + 2)) {
            word.insert(at, "\\");
        }
        return word;
    };
    const std::string panel = text("lucenta.xml");
    const std::string page = text("lucenta.6");
    for (const RunSetting& setting : kRunSettings) {
        for (const char* word : {setting.option, setting.offOption}) {
            if (word != nullptr) {
                EXPECT_NE(panel.find(std::string("\"") + word + (setting.read ? " " : "\"")),
                          std::string::npos)
                    << word << " in lucenta.xml";
                EXPECT_NE(page.find(roff(word)), std::string::npos) << word << " in lucenta.6";
            }
        }
    }
}
