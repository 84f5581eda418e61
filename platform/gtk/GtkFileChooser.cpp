#include "platform/gtk/GtkFileChooser.h"

#include <string>
#include <system_error>

namespace {

// Asks the user a question over the chooser; true for Yes.
bool Ask(GtkWidget* over, const std::string& text, GtkMessageType type, GtkButtonsType buttons) {
    GtkWidget* message =
        gtk_message_dialog_new(GTK_WINDOW(over), GTK_DIALOG_MODAL, type, buttons, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(message), "Confirm Save As");
    const bool yes = gtk_dialog_run(GTK_DIALOG(message)) == GTK_RESPONSE_YES;
    gtk_widget_destroy(message);
    return yes;
}

// Whether the chosen name may be written: its folder exists, and an existing file
// is only replaced when the user says so. The chooser stays open otherwise.
bool MayWrite(GtkWidget* chooser, const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_directory(path.parent_path(), error)) {
        Ask(chooser,
            path.parent_path().string() + "\nThe folder does not exist. Check the name and try again.",
            GTK_MESSAGE_WARNING, GTK_BUTTONS_OK);
        return false;
    }
    if (!std::filesystem::exists(path, error)) {
        return true;
    }
    return Ask(chooser, path.filename().string() + " already exists.\nDo you want to replace it?",
               GTK_MESSAGE_WARNING, GTK_BUTTONS_YES_NO);
}

}  // namespace

std::optional<std::filesystem::path> CGtkFileChooser::AskSavePath() {
    GtkWidget* dialog =
        gtk_file_chooser_dialog_new("Save As", m_owner, GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
                                    GTK_RESPONSE_CANCEL, "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, kExportFilterName);
    gtk_file_filter_add_pattern(filter, kExportFilterPattern);
    gtk_file_chooser_add_filter(chooser, filter);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_do_overwrite_confirmation(chooser, FALSE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    std::error_code error;
    gtk_file_chooser_set_current_folder(chooser, std::filesystem::current_path(error).c_str());
    gtk_file_chooser_set_current_name(chooser, "");

    std::optional<std::filesystem::path> chosen;
    while (!chosen && gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        gchar* name = gtk_file_chooser_get_filename(chooser);
        if (name != nullptr) {
            const std::filesystem::path path = WithDefaultExtension(name);
            g_free(name);
            if (MayWrite(dialog, path)) {
                chosen = path;
            }
        }
    }
    gtk_widget_destroy(dialog);
    return chosen;
}
