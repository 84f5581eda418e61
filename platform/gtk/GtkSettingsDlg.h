#pragma once

#include <gtk/gtk.h>

#include <array>
#include <string>

#include "platform/gtk/GtkPreview.h"
#include "platform/linux/IdleAutostart.h"
#include "settings/SettingsDialog.h"

// The settings dialog in GTK 3: the dialog's template laid out in pixels from the
// dialog font's metrics as Windows converts dialog units, the same texts, the same
// Tab order and keys, and the same behaviour through the shared dialog state.
// Below the template's controls it offers the speed, stored with them on OK,
// beside them a live preview of the picture as chosen, and below the preview the
// idle watcher's autostart entry ("Start after N minutes without input").
// Ctrl+E and the list's context menu ("Export Notation...") export the notation.
class CGtkSettingsDlg {
  public:
    CGtkSettingsDlg();  // loads the settings and builds the window, not yet shown
    ~CGtkSettingsDlg();
    CGtkSettingsDlg(const CGtkSettingsDlg&) = delete;
    CGtkSettingsDlg& operator=(const CGtkSettingsDlg&) = delete;

    // Shows the dialog with the focus on OK and runs its main loop until it is
    // closed: OK stores the method and the box, Cancel, Esc and the close box nothing.
    void Run();

    GtkWidget* Window() const { return m_window; }
    // The widget of a control of the template, by its id.
    GtkWidget* Control(int id) const;

  private:
    // The layout (GtkSettingsLayout.cpp): the template's controls, placed.
    void LayOut();
    GtkWidget* CreateControl(const DialogControl& control);
    void WirePreview();
    void KeepTheStoredMethodWhenTheListTakesTheFocus();
    // The export (GtkSettingsExport.cpp).
    void CreateListMenu();
    // The idle row (GtkSettingsIdle.cpp): the controls show the autostart entry,
    // the note the desktop's own delay where it comes first.
    void ShowIdleEntry();
    void UpdateIdleNote();
    // Writes the entry for the row and starts the watcher, or removes the entry and
    // ends the watcher where the row no longer asks for it; false, with the
    // message to show, when the entry cannot be written.
    bool StoreIdleEntry(std::string& message);
    void ShowSettings();
    void MoveFocus(bool forward);
    void ShowListMenu(const GdkEvent* trigger);
    void OnOk();
    void Close();
    void OnExport();
    // A message box over the dialog: a save or an export failed, and why.
    void ShowFailure(const std::string& message);
    void OnSelectionChanged();
    // The preview shows the method and the box as the dialog shows them now.
    void UpdatePreview();
    bool HasSelection() const;
    bool OnKeyPress(const GdkEventKey& key);

    static gboolean KeyPressed(GtkWidget*, GdkEventKey* key, gpointer self);
    static gboolean ListClicked(GtkWidget*, GdkEventButton* button, gpointer self);

    CSettingsDialogState m_state;
    GtkWidget* m_window = nullptr;
    GtkWidget* m_list = nullptr;
    GtkWidget* m_showTreble = nullptr;
    GtkWidget* m_speed = nullptr;
    GtkWidget* m_idle = nullptr;
    GtkWidget* m_idleMinutes = nullptr;
    GtkWidget* m_idleNote = nullptr;
    GtkWidget* m_listMenu = nullptr;
    CGtkPreview m_preview;
    std::array<GtkWidget*, 7> m_tabOrder{};  // the controls' widgets, in Tab order
    std::string m_idleEntry;                 // the autostart entry's text as read, "" for none
    IdleAutostartState m_idleShown;          // what the idle row showed of it
    bool m_bOpen = false;
    bool m_bTakingFocus = false;   // the list is taking the focus: its selection changes are GTK's
    bool m_bHadSelection = false;  // whether it had a selection before
};

// Configure mode: opens the display, runs the dialog, and returns the exit status
// (1 with a line on stderr when there is no display to open).
int RunSettingsDialog(int argc, char** argv);
