#include "kit/scoped_settings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace yattest {

namespace fs = std::filesystem;

std::string makeTempDir(const std::string& prefix) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    fs::path base = fs::temp_directory_path();
    // create_directory reports whether it made the directory, so a name taken by another process
    // (or an earlier test) is never shared: another name is drawn instead.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) name += letters[random() % (sizeof letters - 1)];
        std::error_code error;
        if (fs::create_directory(base / name, error)) return (base / name).string();
        if (error) break;
    }
    throw std::runtime_error("cannot make a temporary directory");
}

void setEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    _putenv_s(name, value != nullptr ? value : "");  // an empty value removes the variable
#else
    if (value != nullptr) {
        setenv(name, value, 1);
    } else {
        unsetenv(name);
    }
#endif
}

TempDir::TempDir() : path_(makeTempDir("yattest-")) {}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);  // only ever the directory made above
}

std::string TempDir::file(const std::string& name) const { return (fs::path(path_) / name).string(); }

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

}  // namespace yattest
