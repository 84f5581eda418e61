#include "platform/linux/SaverOptions.h"

const char* const kSaverUsage =
    "usage: lucenta [-s [options] | -c | -i | --idle MINUTES [options] | --idle off]\n"
    "  -s        run the saver on every monitor (Wayland, else X11)\n"
    "  -c        the settings dialog (also with no arguments)\n"
    "  -i        add the saver to xscreensaver's list (~/.xscreensaver)\n"
    "  --idle MINUTES  start the saver after MINUTES without input, again and again\n"
    "  --idle off      end the idle watcher of this session\n"
    "options of -s and --idle, for the saver only:\n"
    "  --x11                     X11 even on Wayland\n";

std::optional<SaverOptions> ParseSaverOptions(int argc, const char* const* argv, std::string& error) {
    SaverOptions options;
    const std::vector<ProgramOption> own = {{"--x11", false, [&options](std::string_view, std::string&) {
                                                 options.forceX11 = true;
                                                 return true;
                                             }}};
    const std::vector<std::string_view> words(argv + std::min(argc, 2), argv + argc);
    const std::optional<SettingsOverrides> run = ParseRunOptions(words, own, UnknownWords::Ignored, error);
    if (!run) {
        return std::nullopt;
    }
    options.run = *run;
    return options;
}
