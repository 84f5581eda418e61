#include "shell/ProgramUsage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "shell/StandardStreams.h"

std::optional<int> AnswerHelpOrVersion(int argc, const char* const* argv, const char* program,
                                       const std::string& usage) {
    const bool help = argc == 2 && std::strcmp(argv[1], "--help") == 0;
    if (!help && !(argc == 2 && std::strcmp(argv[1], "--version") == 0)) {
        return std::nullopt;
    }
    if (help) {
        std::fputs((usage + "  --help, --version\n").c_str(), stdout);
    } else {
        std::printf("%s %s\n", program, LUCENTA_VERSION);
    }
    return FinishStandardOutput(program, 0);
}

int RefuseArguments(const char* program, const std::string& error, const std::string& usage) {
    std::fprintf(stderr, "%s: %s\n%s\n", program, error.c_str(), usage.substr(0, usage.find('\n')).c_str());
    return 2;
}

std::string OptionLine(const std::string& words, const std::string& text) {
    constexpr std::size_t kColumn = 28;
    constexpr std::size_t kWidth = 100;
    std::string line = "  " + words;
    std::size_t start = 0;  // where the line now written begins
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find(' ', from), text.size());
        if (line.size() - start + end - from + 1 > kWidth) {
            line += "\n";
            start = line.size();
        }
        line.resize(std::max(line.size() + 1, start + kColumn), ' ');
        line.append(text, from, end - from);
        from = end + 1;
    }
    return line + "\n";
}
