// The settings dialog's export: Ctrl+E, or "Export Notation..." on the list's
// context menu (the right button or the Menu key), writes the chosen method's
// notation to a file that the user chooses.
#include "platform/gtk/GtkFileChooser.h"
#include "platform/gtk/GtkSettingsDlg.h"

void CGtkSettingsDlg::CreateListMenu() {
    m_listMenu = gtk_menu_new();
    GtkWidget* exportItem = gtk_menu_item_new_with_mnemonic("_Export Notation...");
    gtk_menu_shell_append(GTK_MENU_SHELL(m_listMenu), exportItem);
    gtk_widget_show(exportItem);
    gtk_menu_attach_to_widget(GTK_MENU(m_listMenu), m_list, nullptr);
    g_signal_connect_swapped(exportItem, "activate",
                             G_CALLBACK(+[](CGtkSettingsDlg* self) { self->OnExport(); }), this);
    g_signal_connect(m_list, "button-press-event", G_CALLBACK(ListClicked), this);
    g_signal_connect_swapped(m_list, "popup-menu", G_CALLBACK(+[](CGtkSettingsDlg* self) {
                                 self->ShowListMenu(nullptr);
                                 return TRUE;
                             }),
                             this);
}

void CGtkSettingsDlg::OnExport() {
    CGtkFileChooser chooser(GTK_WINDOW(m_window));
    std::string failure;
    switch (ExportNotation(m_state.m_nMethodIndex, chooser, failure)) {
        case ExportResult::NoMethod:
            gdk_display_beep(gtk_widget_get_display(m_window));  // no method to write: refuse rather than ask
            break;
        case ExportResult::NotWritten:
            ShowFailure(failure);
            break;
        case ExportResult::Cancelled:
        case ExportResult::Written:
            break;
    }
}

void CGtkSettingsDlg::ShowListMenu(const GdkEvent* trigger) {
    if (trigger != nullptr) {
        gtk_menu_popup_at_pointer(GTK_MENU(m_listMenu), trigger);
    } else {
        // From the keyboard: its first item is ready for Enter.
        gtk_menu_popup_at_widget(GTK_MENU(m_listMenu), m_list, GDK_GRAVITY_CENTER, GDK_GRAVITY_NORTH_WEST,
                                 nullptr);
        gtk_menu_shell_select_first(GTK_MENU_SHELL(m_listMenu), FALSE);
    }
}

gboolean CGtkSettingsDlg::ListClicked(GtkWidget*, GdkEventButton* button, gpointer self) {
    if (button->type == GDK_BUTTON_PRESS && button->button == GDK_BUTTON_SECONDARY) {
        static_cast<CGtkSettingsDlg*>(self)->ShowListMenu(reinterpret_cast<GdkEvent*>(button));
        return TRUE;
    }
    return FALSE;
}
