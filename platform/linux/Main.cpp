// The Linux program: the command line of a screen-saver executable, the saver
// (on Wayland where a compositor is there, else on X11), the settings dialog (a
// program of its own, so that the saver starts without loading GTK), and the
// install mode that adds the saver to xscreensaver.
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/linux/IdleMode.h"
#include "platform/linux/SaverOptions.h"
#include "platform/linux/SessionDisplay.h"
#include "platform/linux/XscreensaverInstall.h"
#include "platform/posix/RunningProgram.h"
#include "platform/posix/StopSignals.h"
#include "platform/posix/Utf8.h"
#include "platform/wayland/WaylandSaver.h"
#include "platform/x11/X11Saver.h"
#include "settings/Speed.h"
#include "shell/ProgramUsage.h"
#include "shell/SaverLoop.h"
#include "shell/SaverMode.h"
#include "shell/StandardStreams.h"

namespace {

// The hack directory of Debian's xscreensaver: a lucenta there is found by name.
constexpr const char* kXscreensaverHackDirectory = LUCENTA_XSCREENSAVER_HACK_DIR;
// Its defaults, with the list of hacks that a user's first ~/.xscreensaver starts from.
constexpr const char* kXscreensaverDefaults = "/etc/X11/app-defaults/XScreenSaver";
constexpr const char* kSettingsProgram = "lucenta-settings";
constexpr char kProgram[] = "lucenta";

std::string Usage() {
    return std::string(kSaverUsage) + RunOptionsUsage();
}

// The command-line text after the program name, as the Windows program sees it.
std::u16string ArgumentText(int argc, char** argv) {
    std::string text;
    for (int k = 1; k < argc; ++k) {
        text += (k > 1 ? " " : "") + std::string(argv[k]);
    }
    // A byte that is not UTF-8 (in an option's value, say) leaves the mode letter
    // readable: the options are then refused by name.
    return FromUtf8Lossy(text);
}

// The saver on the session's display; where the compositor cannot show it (it
// lacks the protocols), on the X display beside it. nullptr, with the reason, when
// there is nowhere to show it.
std::unique_ptr<ISaverBackend> OpenSaverBackend(const CSessionDisplay& session, std::string& refusal) {
    CSessionDisplay::Connection connection = session.Connect(refusal);
    if (connection.x11) {
        return OpenX11Saver(std::move(connection.x11));
    }
    if (!connection.wayland) {
        return nullptr;
    }
    if (auto backend = OpenWaylandSaver(std::move(connection.wayland))) {
        return backend;
    }
    std::unique_ptr<CX11Connection> x11 = session.ConnectX11(refusal);
    refusal =
        "the Wayland compositor '" + session.WaylandSocket() + "' cannot show the saver, and " + refusal;
    return x11 ? OpenX11Saver(std::move(x11)) : nullptr;
}

int RunSaver(int argc, char** argv) {
    std::string error;
    const std::optional<SaverOptions> options = ParseSaverOptions(argc, argv, error);
    if (!options) {
        return RefuseArguments(kProgram, error, Usage());
    }
    std::unique_ptr<ISaverBackend> backend =
        OpenSaverBackend(CSessionDisplay::FromEnvironment(options->forceX11), error);
    if (!backend) {
        std::fprintf(stderr, "lucenta: %s\n", error.c_str());
        return 1;
    }
    return CSaverLoop(ResolveRunChoices(options->run, kPacedDefaultSpeed), StopRequested).Run(*backend);
}

int RunIdle(int argc, char** argv) {
    std::string error;
    const std::optional<IdleOptions> options = ParseIdleOptions(argc, argv, error);
    if (!options) {
        return RefuseArguments(kProgram, error, Usage());
    }
    return FinishStandardOutput(kProgram, RunIdleMode(*options));
}

int RunSettingsDialog(char** argv) {
    const std::string program = SiblingProgram(kSettingsProgram, LUCENTA_SETTINGS_FROM_BINDIR);
    argv[0] = const_cast<char*>(kSettingsProgram);
    execv(program.c_str(), argv);
    std::fprintf(stderr, "lucenta: cannot start the settings dialog %s: %s\n", program.c_str(),
                 std::strerror(errno));
    return 1;
}

void Install() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        std::cout << "HOME is not set: there is no ~/.xscreensaver to add Lucenta to.\n";
        return;
    }
    InstallInXscreensaver(home, SaverCommand(RunningProgramPath(), kXscreensaverHackDirectory),
                          kXscreensaverDefaults, std::cout);
}

}  // namespace

int main(int argc, char** argv) {
    PrepareStandardStreams();
    InstallStopSignals();
    if (const std::optional<int> answered = AnswerHelpOrVersion(argc, argv, kProgram, Usage())) {
        return *answered;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--idle") == 0) {
        return RunIdle(argc, argv);
    }
    switch (ParseSaverMode(ArgumentText(argc, argv), argc)) {
        case SaverMode::Install:
            Install();
            return FinishStandardOutput(kProgram, 0);
        case SaverMode::Run:
            return RunSaver(argc, argv);
        case SaverMode::Configure:
            return RunSettingsDialog(argv);
        case SaverMode::Exit:
            break;
    }
    return 0;
}
