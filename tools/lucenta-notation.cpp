// lucenta-notation METHOD [STAGE] [--rows K]
// Prints one lead of a method as place notation, or the rows the saver rings.
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <numeric>
#include <string>
#include <vector>

#include "ringing/Change.h"
#include "ringing/LeadText.h"
#include "ringing/MethodLibrary.h"
#include "ringing/PlaceNotation.h"
#include "settings/NumberText.h"
#include "shell/ProgramUsage.h"
#include "shell/StandardStreams.h"

namespace {

constexpr char kProgram[] = "lucenta-notation";
constexpr long long kMaxStage = 1000000;

std::string Usage() {
    return "usage: lucenta-notation METHOD [STAGE] [--rows K]\n" +
           OptionLine("METHOD", "the method's number: " + MethodListText()) +
           OptionLine("STAGE", "the number of bells, 1 to " + std::to_string(kMaxStage) + " (12)") +
           OptionLine("--rows K", "the first K rows rung, instead of the lead's place notation");
}

struct Options {
    int method = 0;
    int stage = 12;
    long long rows = -1;  // -1: print the lead's notation instead of rows
};

// Returns an error message, or an empty string when the arguments are good.
std::string ParseArguments(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--rows") {
            if (k + 1 >= argc) {
                return "--rows needs a count";
            }
            const auto rows = ParseWholeInteger(argv[++k], 0, 1LL << 40);
            if (!rows) {
                return "--rows takes a whole number of 0 or more, not '" + std::string(argv[k]) + "'";
            }
            options.rows = *rows;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty() || positional.size() > 2) {
        return positional.empty() ? "METHOD is needed" : "one METHOD and one STAGE at most";
    }
    const auto method = ParseWholeInteger(positional[0], -1000, 1000);
    if (!method || FindMethod(static_cast<int>(*method)) == nullptr) {
        return "'" + positional[0] + "' names no method (" + MethodNumbersText() + ")";
    }
    options.method = static_cast<int>(*method);
    if (positional.size() == 2) {
        const auto stage = ParseWholeInteger(positional[1], 1, kMaxStage);
        if (!stage) {
            return "the stage must be a whole number from 1 to " + std::to_string(kMaxStage) + ", not '" +
                   positional[1] + "'";
        }
        options.stage = static_cast<int>(*stage);
    }
    return {};
}

void WriteRow(const std::vector<std::uint32_t>& row, std::string& line) {
    line.clear();
    const bool symbols = row.size() <= static_cast<std::size_t>(kBellSymbolCount);
    for (std::size_t k = 0; k < row.size(); ++k) {
        if (symbols) {
            line += kBellSymbols[row[k] - 1];
        } else {
            if (k > 0) {
                line += ' ';
            }
            line += std::to_string(row[k]);
        }
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

void PrintRows(CPlaceNotation& notation, int stage, long long count) {
    std::vector<std::uint32_t> row(static_cast<std::size_t>(stage));
    std::iota(row.begin(), row.end(), 1u);
    std::string line;
    int place = PN_NOTATION_END;
    for (long long k = 0; k < count; ++k) {
        place = ApplyNextChange(notation, place, row.data(), stage);
        WriteRow(row, line);
    }
}

}  // namespace

int main(int argc, char** argv) {
    PrepareStandardStreams();
    if (const std::optional<int> answered = AnswerHelpOrVersion(argc, argv, kProgram, Usage())) {
        return *answered;
    }
    Options options;
    const std::string error = ParseArguments(argc, argv, options);
    if (!error.empty()) {
        return RefuseArguments(kProgram, error, Usage());
    }
    CPlaceNotation notation(options.stage, options.method);
    if (options.rows < 0) {
        std::cout << LeadText(notation) << "\n";
    } else {
        PrintRows(notation, options.stage, options.rows);
    }
    return FinishStandardOutput(kProgram, 0);
}
