// The Linux program: the command line of a screen-saver executable, the saver on
// X11 (full screen, or in the window xscreensaver gives it), the settings dialog,
// and the install mode that adds it to xscreensaver.
#include <X11/Xlib.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "platform/gtk/GtkSettingsDlg.h"
#include "platform/posix/Utf8.h"
#include "platform/x11/StopSignals.h"
#include "platform/x11/XSaverWindow.h"
#include "platform/x11/XscreensaverInstall.h"
#include "shell/SaverMode.h"

namespace {

// The hack directory of Debian's xscreensaver: a lucenta there is found by name.
constexpr const char* kXscreensaverHackDirectory = LUCENTA_XSCREENSAVER_HACK_DIR;

// The command-line text after the program name, as the Windows program sees it.
std::u16string ArgumentText(int argc, char** argv) {
    std::string text;
    for (int k = 1; k < argc; ++k) {
        text += (k > 1 ? " " : "") + std::string(argv[k]);
    }
    return FromUtf8(text).value_or(u"?");  // text that is not UTF-8 names no mode
}

// xscreensaver passes the window as "0x..."; a decimal id is taken too.
std::optional<Window> ParseWindowId(const std::string& text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() ||
        digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") != std::string::npos) {
        return std::nullopt;
    }
    errno = 0;
    const unsigned long long id = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno != 0 || id == 0 || id > 0xFFFFFFFFULL) {
        return std::nullopt;
    }
    return static_cast<Window>(id);
}

int RunSaver() {
    const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    if (!display) {
        std::fprintf(stderr, "lucenta: cannot open the X display \"%s\"\n", XDisplayName(nullptr));
        return 1;
    }
    InstallStopSignals();
    if (const char* lent = std::getenv("XSCREENSAVER_WINDOW"); lent != nullptr && lent[0] != '\0') {
        const std::optional<Window> window = ParseWindowId(lent);
        if (!window) {
            std::fprintf(stderr, "lucenta: XSCREENSAVER_WINDOW=%s names no window\n", lent);
            return 0;
        }
        CXDrawWindow drawing(display.get());
        return drawing.Adopt(*window) ? drawing.Run() : 0;
    }
    CXSaverWindow saver(display.get());
    return saver.CreateFullScreen() ? saver.Run() : 1;
}

std::string RunningExecutable() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : "lucenta";
}

void Install() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        std::cout << "HOME is not set: there is no ~/.xscreensaver to add Lucenta to.\n";
        return;
    }
    InstallInXscreensaver(home, SaverCommand(RunningExecutable(), kXscreensaverHackDirectory), std::cout);
}

}  // namespace

int main(int argc, char** argv) {
    switch (ParseSaverMode(ArgumentText(argc, argv), argc)) {
        case SaverMode::Install:
            Install();
            return 0;
        case SaverMode::Run:
            return RunSaver();
        case SaverMode::Configure:
            return RunSettingsDialog(argc, argv);
        case SaverMode::Exit:
            break;
    }
    return 0;
}
