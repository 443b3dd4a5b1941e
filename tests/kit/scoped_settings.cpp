#include "kit/scoped_settings.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

namespace yattest {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "yattest-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    if (made == nullptr) throw std::runtime_error("cannot make a temporary directory");
    path_ = made;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);  // only ever the directory made above
}

std::string TempDir::file(const std::string& name) const { return (fs::path(path_) / name).string(); }

}  // namespace yattest
