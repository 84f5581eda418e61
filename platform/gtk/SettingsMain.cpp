// lucenta-settings: the settings dialog, a program of its own so that the saver
// starts without loading GTK. "lucenta -c" (and "lucenta" alone) runs it.
#include "platform/gtk/GtkSettingsDlg.h"
#include "shell/StandardStreams.h"

int main(int argc, char** argv) {
    PrepareStandardStreams();
    return RunSettingsDialog(argc, argv);
}
