#pragma once

#include <filesystem>
#include <string>

// A fresh directory that is also the current directory while it lives, so that
// files written by name ("Colours.log") land in it.
class TempDirectory {
  public:
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Read(const std::filesystem::path& name) const;

  private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};
