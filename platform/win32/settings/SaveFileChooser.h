#pragma once

#include <windows.h>

#include "settings/SettingsDialog.h"

// The export's file chooser on Windows: the common save-file dialog.
class CSaveFileChooser : public IFileChooser {
  public:
    explicit CSaveFileChooser(HWND owner) : m_owner(owner) {}

    std::optional<std::filesystem::path> AskSavePath() override;

  private:
    HWND m_owner;
};
