// lucenta-settings: the settings dialog, a program of its own so that the saver
// starts without loading GTK. "lucenta -c" (and "lucenta" alone) runs it.
#include "platform/gtk/GtkSettingsDlg.h"
#include "shell/ProgramUsage.h"
#include "shell/StandardStreams.h"

int main(int argc, char** argv) {
    PrepareStandardStreams();
    const char* usage =
        "usage: lucenta-settings [GTK options]\n"
        "  the settings of the Lucenta screen saver, as lucenta -c shows them\n";
    if (const std::optional<int> answered = AnswerHelpOrVersion(argc, argv, "lucenta-settings", usage)) {
        return *answered;
    }
    return RunSettingsDialog(argc, argv);
}
