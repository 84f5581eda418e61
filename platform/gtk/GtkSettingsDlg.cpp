#include "platform/gtk/GtkSettingsDlg.h"

#include <cstdio>
#include <string>

#include "platform/gtk/GtkSettingsLayout.h"
#include "settings/Speed.h"

namespace {

constexpr char kProgramName[] = "lucenta-settings";  // also the window's class, as the menu entry says
// The icon at every size that the build draws (resources/linux).
constexpr char kIconFolder[] = "/invalid/tovarin/lucenta/icons/";

}  // namespace

CGtkSettingsDlg::CGtkSettingsDlg() {
    m_state.Load();
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_set_name(m_window, kWindowName);
    gtk_window_set_title(GTK_WINDOW(m_window), kSettingsCaption);
    gtk_window_set_resizable(GTK_WINDOW(m_window), FALSE);
    gtk_window_set_position(GTK_WINDOW(m_window), GTK_WIN_POS_CENTER);
    gtk_window_set_type_hint(GTK_WINDOW(m_window), GDK_WINDOW_TYPE_HINT_DIALOG);
    LayOut();
    ShowSettings();
    ShowIdleEntry();
    CreateListMenu();
    g_signal_connect(m_window, "key-press-event", G_CALLBACK(KeyPressed), this);
    g_signal_connect_swapped(m_window, "delete-event", G_CALLBACK(+[](CGtkSettingsDlg* self) {
                                 self->Close();
                                 return TRUE;
                             }),
                             this);
    WirePreview();
    KeepTheStoredMethodWhenTheListTakesTheFocus();
}

// Connected after the controls show the settings: that is no change.
void CGtkSettingsDlg::WirePreview() {
    g_signal_connect_swapped(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_list)), "changed",
                             G_CALLBACK(+[](CGtkSettingsDlg* self) { self->OnSelectionChanged(); }), this);
    g_signal_connect_swapped(m_showTreble, "toggled",
                             G_CALLBACK(+[](CGtkSettingsDlg* self) { self->UpdatePreview(); }), this);
    g_signal_connect_swapped(
        m_speed, "value-changed", G_CALLBACK(+[](CGtkSettingsDlg* self) {
            self->m_preview.SetSpeed(gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(self->m_speed)));
        }),
        this);
    UpdatePreview();
    m_preview.SetSpeed(gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(m_speed)));
}

// GTK selects a row when the list takes the focus without one; a list box does
// not, and a stored method outside the list must stay chosen.
void CGtkSettingsDlg::KeepTheStoredMethodWhenTheListTakesTheFocus() {
    g_signal_connect_swapped(m_list, "grab-focus", G_CALLBACK(+[](CGtkSettingsDlg* self) {
                                 self->m_bTakingFocus = true;
                                 self->m_bHadSelection = self->HasSelection();
                             }),
                             this);
    g_signal_connect_data(
        m_list, "grab-focus", G_CALLBACK(+[](CGtkSettingsDlg* self) {
            if (!self->m_bHadSelection) {
                gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(GTK_TREE_VIEW(self->m_list)));
            }
            self->m_bTakingFocus = false;
        }),
        this, nullptr, static_cast<GConnectFlags>(G_CONNECT_SWAPPED | G_CONNECT_AFTER));
}

bool CGtkSettingsDlg::HasSelection() const {
    return gtk_tree_selection_count_selected_rows(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_list))) > 0;
}

CGtkSettingsDlg::~CGtkSettingsDlg() {
    gtk_widget_destroy(m_window);
}

// The list selects the stored method (a method index outside the list selects
// nothing); the box, being a two-state box, shows any nonzero state as checked.
void CGtkSettingsDlg::ShowSettings() {
    if (m_state.m_nMethodIndex >= 0 && m_state.m_nMethodIndex < kMethodListCount) {
        GtkTreePath* path = gtk_tree_path_new_from_indices(m_state.m_nMethodIndex, -1);
        gtk_tree_view_set_cursor(GTK_TREE_VIEW(m_list), path, nullptr, FALSE);
        gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(m_list), path, nullptr, FALSE, 0, 0);
        gtk_tree_path_free(path);
    }
    m_state.m_nShowTreble = CSettingsDialogState::CheckBoxState(m_state.m_nShowTreble);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(m_showTreble), m_state.m_nShowTreble != 0);
    gtk_spin_button_set_value(GTK_SPIN_BUTTON(m_speed), m_state.StoredSpeed().value_or(kPacedDefaultSpeed));
}

void CGtkSettingsDlg::Run() {
    GtkWidget* ok = Control(kIdOk);
    gtk_widget_set_can_default(ok, TRUE);
    gtk_window_set_default(GTK_WINDOW(m_window), ok);
    gtk_window_set_focus(GTK_WINDOW(m_window),
                         ok);  // before the window is shown: no other control takes it first
    gtk_widget_show_all(m_window);
    gtk_window_present(GTK_WINDOW(m_window));
    m_bOpen = true;
    gtk_main();
}

void CGtkSettingsDlg::Close() {
    if (m_bOpen) {
        m_bOpen = false;
        gtk_widget_hide(m_window);
        gtk_main_quit();
    }
}

void CGtkSettingsDlg::OnOk() {
    m_state.m_nShowTreble = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_showTreble)) ? 1 : 0;
    gtk_spin_button_update(GTK_SPIN_BUTTON(m_speed));  // takes what was typed
    m_state.m_nSpeed = gtk_spin_button_get_value_as_int(GTK_SPIN_BUTTON(m_speed));
    std::string failure;
    // The dialog stays open on a failure: the user may try again or cancel.
    if (!m_state.Save(failure) || !StoreIdleEntry(failure)) {
        ShowFailure(failure);
        return;
    }
    Close();
}

void CGtkSettingsDlg::ShowFailure(const std::string& message) {
    GtkWidget* box = gtk_message_dialog_new(GTK_WINDOW(m_window), GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR,
                                            GTK_BUTTONS_OK, "%s", message.c_str());
    gtk_window_set_title(GTK_WINDOW(box), kFailureCaption);
    gtk_dialog_run(GTK_DIALOG(box));
    gtk_widget_destroy(box);
}

void CGtkSettingsDlg::OnSelectionChanged() {
    if (m_bTakingFocus) {
        return;
    }
    GtkTreeModel* model = nullptr;
    GtkTreeIter row;
    if (gtk_tree_selection_get_selected(gtk_tree_view_get_selection(GTK_TREE_VIEW(m_list)), &model, &row)) {
        GtkTreePath* path = gtk_tree_model_get_path(model, &row);
        m_state.m_nMethodIndex = gtk_tree_path_get_indices(path)[0];
        gtk_tree_path_free(path);
        UpdatePreview();
    }
}

void CGtkSettingsDlg::UpdatePreview() {
    m_preview.Show(m_state.m_nMethodIndex, gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(m_showTreble)));
}

// Tab and Shift+Tab go round the controls in template order, as a dialog manager does.
void CGtkSettingsDlg::MoveFocus(bool forward) {
    const int count = static_cast<int>(m_tabOrder.size());
    int current = forward ? -1 : 0;
    for (int k = 0; k < count; ++k) {
        if (gtk_widget_has_focus(m_tabOrder[static_cast<std::size_t>(k)])) {
            current = k;
        }
    }
    const int next = (current + (forward ? 1 : count - 1)) % count;
    gtk_widget_grab_focus(m_tabOrder[static_cast<std::size_t>(next)]);
}

// Keys as in a Windows dialog: Enter presses the default button OK (a focused
// push button presses itself), Esc cancels, Tab follows the template's order.
bool CGtkSettingsDlg::OnKeyPress(const GdkEventKey& key) {
    const bool control = (key.state & GDK_CONTROL_MASK) != 0;
    switch (key.keyval) {
        case GDK_KEY_Tab:
        case GDK_KEY_KP_Tab:
        case GDK_KEY_ISO_Left_Tab:
            MoveFocus(key.keyval != GDK_KEY_ISO_Left_Tab && (key.state & GDK_SHIFT_MASK) == 0);
            return true;
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter:
        case GDK_KEY_ISO_Enter:
            if (gtk_widget_has_focus(Control(kIdOk)) || gtk_widget_has_focus(Control(kIdCancel))) {
                return false;
            }
            OnOk();
            return true;
        case GDK_KEY_Escape:
            Close();
            return true;
        case GDK_KEY_e:
        case GDK_KEY_E:
            if (control) {
                OnExport();
                return true;
            }
            return false;
        default:
            return false;
    }
}

gboolean CGtkSettingsDlg::KeyPressed(GtkWidget*, GdkEventKey* key, gpointer self) {
    return static_cast<CGtkSettingsDlg*>(self)->OnKeyPress(*key) ? TRUE : FALSE;
}

extern "C" void lucenta_icons_register_resource();

namespace {

// Every window of the program shows the saver's own icon.
void UseTheSaversIcon() {
    lucenta_icons_register_resource();
    GList* icons = nullptr;
    char** names = g_resources_enumerate_children(kIconFolder, G_RESOURCE_LOOKUP_FLAGS_NONE, nullptr);
    for (char** name = names; name != nullptr && *name != nullptr; ++name) {
        if (GdkPixbuf* icon =
                gdk_pixbuf_new_from_resource((std::string(kIconFolder) + *name).c_str(), nullptr)) {
            icons = g_list_append(icons, icon);
        }
    }
    g_strfreev(names);
    gtk_window_set_default_icon_list(icons);
    g_list_free_full(icons, g_object_unref);
}

}  // namespace

int RunSettingsDialog(int argc, char** argv) {
    // The dialog draws nothing with OpenGL; without this GDK would load and probe the
    // GL drivers at start-up, which costs more than everything else the dialog does.
    g_setenv("GDK_GL", "disable", FALSE);
    g_set_prgname(kProgramName);
    if (!gtk_init_check(&argc, &argv)) {
        const char* display = g_getenv("DISPLAY");
        std::fprintf(stderr, "%s: cannot open a display (DISPLAY \"%s\")\n", kProgramName,
                     display != nullptr ? display : "");
        return 1;
    }
    gdk_set_program_class(kProgramName);  // after GTK's start, which sets one of its own
    UseTheSaversIcon();
    CGtkSettingsDlg dialog;
    dialog.Run();
    return 0;
}
