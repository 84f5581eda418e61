// The settings dialog's layout: the template's controls (and the Linux dialog's
// own) made as GTK widgets and placed in pixels from the dialog font's metrics, as
// Windows converts dialog units.
#include <cstdio>
#include <string>

#include "platform/gtk/GtkSettingsDlg.h"
#include "platform/gtk/GtkSettingsLayout.h"
#include "platform/linux/IdleMinutes.h"
#include "settings/Speed.h"

namespace {

constexpr char kAsFastAsItDraws[] = "as fast as it draws";
constexpr DialogControl kSpeedLabel = {0, "Speed, rows per second:", 7, 115, 116, 8};
constexpr DialogControl kPreview = {0, "", kSettingsWidth, 7, 116, 131};
constexpr int kDialogWidth = kSettingsWidth + 123;
constexpr int kDialogHeight = 175;

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
    for (int index = 0; index < kMethodListCount; ++index) {
        gtk_list_store_insert_with_values(names, nullptr, -1, 0, MethodListName(index), -1);
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

void CGtkSettingsDlg::LayOut() {
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
        const DialogControl& control = kGtkTabOrder[k];
        m_tabOrder[k] = CreateControl(control);
        place(control.id == IDC_METHOD_LIST ? gtk_widget_get_parent(m_tabOrder[k]) : m_tabOrder[k], control);
    }
    const auto label = [&place](const DialogControl& control) {
        GtkWidget* text = gtk_label_new(control.text);
        gtk_label_set_xalign(GTK_LABEL(text), 0);
        place(text, control);
        return text;
    };
    gtk_label_set_mnemonic_widget(GTK_LABEL(label(kSpeedLabel)), m_speed);
    label(kIdleMinutesLabel);
    m_idleNote = label(kIdleNote);
    place(m_preview.Widget(), kPreview);
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
        case kIdGtkSpeed:
            widget = m_speed = CreateSpeedControl();
            break;
        case kIdGtkIdle:
            widget = m_idle = gtk_check_button_new_with_label(control.text);
            break;
        case kIdGtkIdleMinutes:
            widget = m_idleMinutes = gtk_spin_button_new_with_range(1, kMaxIdleMinutes, 1);
            gtk_entry_set_width_chars(GTK_ENTRY(widget), 4);
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
        if (kGtkTabOrder[k].id == id) {
            return m_tabOrder[k];
        }
    }
    return nullptr;
}
