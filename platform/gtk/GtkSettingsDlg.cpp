#include "platform/gtk/GtkSettingsDlg.h"

#include <cstdio>
#include <string>

#include "platform/gtk/GtkFileChooser.h"
#include "settings/Speed.h"

namespace {

constexpr char kWindowName[] = "lucenta-settings";

// The Linux dialog is the template with a row for the speed below the check box,
// last in the Tab order; the Windows dialog keeps the template as it is.
constexpr int kIdSpeed = 1006;
constexpr char kAsFastAsItDraws[] = "as fast as it draws";
constexpr DialogControl kSpeedLabel = {0, "Speed, rows per second:", 7, 115, 116, 8};
constexpr DialogControl kPreview = {0, "", kSettingsWidth, 7, 116, 131};
constexpr int kDialogWidth = kSettingsWidth + 123;
constexpr int kDialogHeight = 145;
constexpr std::array<DialogControl, 5> kTabOrder = {
    kSettingsControls[0],
    kSettingsControls[1],
    kSettingsControls[2],
    kSettingsControls[3],
    DialogControl{kIdSpeed, "Speed", 7, 125, 116, 14},
};

constexpr char kProgramName[] = "lucenta-settings";  // also the window's class, as the menu entry says
constexpr char kIconPath[] = "/invalid/tovarin/lucenta/icons/%d.png";
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};

// The template's font (8 points of the system's dialog font) is the desktop's
// default font, at the desktop's size, so the dialog grows and shrinks with it.
PangoFontDescription* DialogFont() {
    gchar* desktopFont = nullptr;
    g_object_get(gtk_settings_get_default(), "gtk-font-name", &desktopFont, nullptr);
    PangoFontDescription* font =
        pango_font_description_from_string(desktopFont != nullptr ? desktopFont : "Sans");
    g_free(desktopFont);
    if (pango_font_description_get_size(font) <= 0) {
        pango_font_description_set_size(font, kSettingsFontPoints * PANGO_SCALE);
    }
    return font;
}

// The CSS size of the font: points, or pixels for a font given in pixels.
std::string CssSize(const PangoFontDescription* font) {
    const double size = static_cast<double>(pango_font_description_get_size(font)) / PANGO_SCALE;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%s", size,
                  pango_font_description_get_size_is_absolute(font) ? "px" : "pt");
    return text;
}

struct FontUnits {
    int averageCharWidth;
    int charHeight;
};

// The dialog font's metrics as Windows takes them: the average width of the
// letters, and the height of a line (ascent and descent).
FontUnits MeasureFont(GtkWidget* window, const PangoFontDescription* font) {
    PangoContext* context = gtk_widget_get_pango_context(window);
    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, kAverageWidthLetters, -1);
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
    const int lineHeight =
        PANGO_PIXELS(pango_font_metrics_get_ascent(metrics) + pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    return {AverageCharWidth(width), lineHeight};
}

// The dialog font for every widget of the window, and controls as compact as the
// template's: no padding that would make them larger than their rectangles.
void StyleWindow(const PangoFontDescription* font) {
    gchar* family = g_markup_escape_text(pango_font_description_get_family(font), -1);
    const std::string css = std::string("#") + kWindowName + ", #" + kWindowName + " * { font-family: \"" +
                            family + "\"; font-size: " + CssSize(font) + "; }\n#" + kWindowName +
                            " button { padding: 0 4px; min-height: 0; min-width: 0; }\n#" + kWindowName +
                            " checkbutton { padding: 0; }\n#" + kWindowName +
                            " treeview { -GtkTreeView-vertical-separator: 0; }\n";
    g_free(family);
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

// Rows per second, with 0 shown as what it means.
GtkWidget* CreateSpeedControl() {
    GtkWidget* speed = gtk_spin_button_new_with_range(kUnpacedSpeed, kMaxSpeed, 1);
    gtk_spin_button_set_increments(GTK_SPIN_BUTTON(speed), 10, 60);
    g_signal_connect(speed, "output", G_CALLBACK(+[](GtkSpinButton* spin, gpointer) -> gboolean {
                         if (gtk_spin_button_get_value_as_int(spin) != kUnpacedSpeed) {
                             return FALSE;
                         }
                         gtk_entry_set_text(GTK_ENTRY(spin), kAsFastAsItDraws);
                         return TRUE;
                     }),
                     nullptr);
    g_signal_connect(speed, "input", G_CALLBACK(+[](GtkSpinButton* spin, gdouble* value, gpointer) -> gint {
                         if (g_strcmp0(gtk_entry_get_text(GTK_ENTRY(spin)), kAsFastAsItDraws) != 0) {
                             return FALSE;
                         }
                         *value = kUnpacedSpeed;
                         return TRUE;
                     }),
                     nullptr);
    return speed;
}

GtkWidget* CreateMethodList() {
    GtkListStore* names = gtk_list_store_new(1, G_TYPE_STRING);
    for (const char* name : kMethodListNames) {
        gtk_list_store_insert_with_values(names, nullptr, -1, 0, name, -1);
    }
    GtkWidget* list = gtk_tree_view_new_with_model(GTK_TREE_MODEL(names));
    g_object_unref(names);
    GtkCellRenderer* text = gtk_cell_renderer_text_new();
    g_object_set(text, "ypad", 0, nullptr);
    gtk_tree_view_insert_column_with_attributes(GTK_TREE_VIEW(list), -1, "Method", text, "text", 0, nullptr);
    gtk_tree_view_set_headers_visible(GTK_TREE_VIEW(list), FALSE);
    gtk_tree_view_set_enable_search(GTK_TREE_VIEW(list), FALSE);
    return list;
}

}  // namespace

CGtkSettingsDlg::CGtkSettingsDlg() {
    m_state.Load();
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_set_name(m_window, kWindowName);
    gtk_window_set_title(GTK_WINDOW(m_window), kSettingsCaption);
    gtk_window_set_resizable(GTK_WINDOW(m_window), FALSE);
    gtk_window_set_position(GTK_WINDOW(m_window), GTK_WIN_POS_CENTER);
    gtk_window_set_type_hint(GTK_WINDOW(m_window), GDK_WINDOW_TYPE_HINT_DIALOG);

    PangoFontDescription* font = DialogFont();
    StyleWindow(font);
    const FontUnits units = MeasureFont(m_window, font);
    pango_font_description_free(font);

    GtkWidget* layout = gtk_fixed_new();
    gtk_widget_set_size_request(layout, DialogUnitsToPixelsX(kDialogWidth, units.averageCharWidth),
                                DialogUnitsToPixelsY(kDialogHeight, units.charHeight));
    gtk_container_add(GTK_CONTAINER(m_window), layout);
    const auto place = [&](GtkWidget* widget, const DialogControl& control) {
        gtk_widget_set_size_request(widget, DialogUnitsToPixelsX(control.cx, units.averageCharWidth),
                                    DialogUnitsToPixelsY(control.cy, units.charHeight));
        gtk_fixed_put(GTK_FIXED(layout), widget, DialogUnitsToPixelsX(control.x, units.averageCharWidth),
                      DialogUnitsToPixelsY(control.y, units.charHeight));
    };
    for (std::size_t k = 0; k < m_tabOrder.size(); ++k) {
        const DialogControl& control = kTabOrder[k];
        m_tabOrder[k] = CreateControl(control);
        place(control.id == IDC_METHOD_LIST ? gtk_widget_get_parent(m_tabOrder[k]) : m_tabOrder[k], control);
    }
    GtkWidget* speedLabel = gtk_label_new(kSpeedLabel.text);
    gtk_label_set_xalign(GTK_LABEL(speedLabel), 0);
    gtk_label_set_mnemonic_widget(GTK_LABEL(speedLabel), m_speed);
    place(speedLabel, kSpeedLabel);
    place(m_preview.Widget(), kPreview);
    ShowSettings();

    m_listMenu = gtk_menu_new();
    GtkWidget* exportItem = gtk_menu_item_new_with_mnemonic("_Export Notation...");
    gtk_menu_shell_append(GTK_MENU_SHELL(m_listMenu), exportItem);
    gtk_widget_show(exportItem);
    gtk_menu_attach_to_widget(GTK_MENU(m_listMenu), m_list, nullptr);
    g_signal_connect_swapped(exportItem, "activate",
                             G_CALLBACK(+[](CGtkSettingsDlg* self) { self->OnExport(); }), this);

    g_signal_connect(m_window, "key-press-event", G_CALLBACK(KeyPressed), this);
    g_signal_connect_swapped(m_window, "delete-event", G_CALLBACK(+[](CGtkSettingsDlg* self) {
                                 self->Close();
                                 return TRUE;
                             }),
                             this);
    g_signal_connect(m_list, "button-press-event", G_CALLBACK(ListClicked), this);
    g_signal_connect_swapped(m_list, "popup-menu", G_CALLBACK(+[](CGtkSettingsDlg* self) {
                                 self->ShowListMenu(nullptr);
                                 return TRUE;
                             }),
                             this);
    // Connected after the selection was set from the settings: that is no change.
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
    // GTK selects a row when the list takes the focus without one; a list box does
    // not, and a stored method outside the list must stay chosen.
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

GtkWidget* CGtkSettingsDlg::CreateControl(const DialogControl& control) {
    GtkWidget* widget = nullptr;
    switch (control.id) {
        case IDC_METHOD_LIST: {
            widget = m_list = CreateMethodList();
            GtkWidget* frame = gtk_scrolled_window_new(nullptr, nullptr);
            gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(frame), GTK_POLICY_NEVER,
                                           GTK_POLICY_AUTOMATIC);
            gtk_scrolled_window_set_shadow_type(GTK_SCROLLED_WINDOW(frame), GTK_SHADOW_IN);
            gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(frame), FALSE);
            gtk_container_add(GTK_CONTAINER(frame), m_list);
            atk_object_set_name(gtk_widget_get_accessible(m_list), "Method");
            break;
        }
        case IDC_SHOW_TREBLE:
            widget = m_showTreble = gtk_check_button_new_with_label(control.text);
            break;
        case kIdSpeed:
            widget = m_speed = CreateSpeedControl();
            break;
        default:
            widget = gtk_button_new_with_label(control.text);
            g_signal_connect_swapped(widget, "clicked",
                                     control.id == kIdOk
                                         ? G_CALLBACK(+[](CGtkSettingsDlg* self) { self->OnOk(); })
                                         : G_CALLBACK(+[](CGtkSettingsDlg* self) { self->Close(); }),
                                     this);
            break;
    }
    gtk_widget_set_name(widget, std::to_string(control.id).c_str());
    if (control.text[0] != '\0') {
        atk_object_set_name(gtk_widget_get_accessible(widget), control.text);
    }
    return widget;
}

GtkWidget* CGtkSettingsDlg::Control(int id) const {
    for (std::size_t k = 0; k < m_tabOrder.size(); ++k) {
        if (kTabOrder[k].id == id) {
            return m_tabOrder[k];
        }
    }
    return nullptr;
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
    if (!m_state.Save(failure)) {
        ShowFailure(failure);  // the dialog stays open: the user may try again or cancel
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

gboolean CGtkSettingsDlg::ListClicked(GtkWidget*, GdkEventButton* button, gpointer self) {
    if (button->type == GDK_BUTTON_PRESS && button->button == GDK_BUTTON_SECONDARY) {
        static_cast<CGtkSettingsDlg*>(self)->ShowListMenu(reinterpret_cast<GdkEvent*>(button));
        return TRUE;
    }
    return FALSE;
}

extern "C" void lucenta_icons_register_resource();

namespace {

// Every window of the program shows the saver's own icon.
void UseTheSaversIcon() {
    lucenta_icons_register_resource();
    GList* icons = nullptr;
    for (const int size : kIconSizes) {
        char path[64];
        std::snprintf(path, sizeof path, kIconPath, size);
        if (GdkPixbuf* icon = gdk_pixbuf_new_from_resource(path, nullptr)) {
            icons = g_list_append(icons, icon);
        }
    }
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
        std::fprintf(stderr, "lucenta: cannot open the X display \"%s\"\n",
                     display != nullptr ? display : "");
        return 1;
    }
    gdk_set_program_class(kProgramName);  // after GTK's start, which sets one of its own
    UseTheSaversIcon();
    CGtkSettingsDlg dialog;
    dialog.Run();
    return 0;
}
