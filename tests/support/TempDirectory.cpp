#include "tests/support/TempDirectory.h"

#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

TempDirectory::TempDirectory() : m_previous(fs::current_path()) {
    std::random_device random;
    m_path =
        fs::temp_directory_path() / ("lucenta-test-" + std::to_string(random()) + std::to_string(random()));
    fs::create_directories(m_path);
    fs::current_path(m_path);
}

TempDirectory::~TempDirectory() {
    std::error_code ignored;
    fs::current_path(m_previous, ignored);
    fs::remove_all(m_path, ignored);
}

std::string TempDirectory::Read(const fs::path& name) const {
    std::ifstream in(m_path / name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}
