#pragma once

#include <gtk/gtk.h>

#include "settings/SettingsDialog.h"

// The export's file chooser on GTK: the save dialog, with the completed name's
// overwrite question asked here (GTK would ask about the name as typed).
class CGtkFileChooser : public IFileChooser {
  public:
    explicit CGtkFileChooser(GtkWindow* owner) : m_owner(owner) {}

    std::optional<std::filesystem::path> AskSavePath() override;

  private:
    GtkWindow* m_owner;
};
