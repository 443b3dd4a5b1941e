#include "yatctl/session.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "sim/led_registry.h"
#include "yat/libyat.h"
#include "yat/result_codes.h"

namespace yatctl {

namespace {

constexpr const char* kLibraryName = "libyat.so";
constexpr const char* kInstalledLibraryName = YAT_LIBRARY_SONAME;

// A symbol of the loaded library as a function pointer.
template <class F>
F symbol(void* handle, const char* name) {
    void* address = dlsym(handle, name);
    F function = nullptr;
    static_assert(sizeof function == sizeof address);
    std::memcpy(&function, &address, sizeof function);
    return function;
}

}  // namespace

Session::Session(const GlobalOptions& options) : options_(options) {
    yatcomm::CommChoice choice;
    try {
        choice = yatcomm::parseCommChoice(options.comm);
    } catch (const yatcomm::CommChoiceError& error) {
        throw UsageError(error.what());
    }
    if (!options.scenarioFile.empty()) {
        if (choice.kind != yatcomm::CommChoice::Kind::Sim || !choice.argument.empty()) {
            throw UsageError("--scenario is for the embedded simulator; give the scenario to yat-spd or sim:FILE");
        }
        choice.argument = options.scenarioFile;
    }
    try {
        device_ = yatcomm::CommDevice::open(choice);
    } catch (const yatcomm::CommChoiceError& error) {
        throw LibraryError(error.what());
    }
}

yatsim::SimBusComm& Session::requireSim(const std::string& what) {
    if (sim() == nullptr) {
        throw UsageError(what + " needs the embedded simulator (--comm sim); with yat-spd send it SIGUSR1 instead");
    }
    return *sim();
}

// The library is closed but stays mapped until the process ends (no dlclose): its static objects are
// then destroyed by the ordinary exit sequence, after every use of them.
Session::~Session() {
    if (close_ != nullptr) close_();
    if (!rootDir_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(rootDir_, ignored);
        unsetenv("YAT_ROOT_DIR");
    }
}

void Session::prepareRootDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "yatctl-root-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;  // no panel then: the LED commands report it
    rootDir_ = pattern;
    try {
        // The panel's registry describes the installation: the embedded simulator's scenario, or the
        // built-in one when the SPs are elsewhere.
        yatsim::writeLedRegistry(sim() != nullptr ? sim()->scenario() : yatsim::defaultScenario(), rootDir_);
    } catch (const std::exception&) {
        return;
    }
    setenv("YAT_ROOT_DIR", (rootDir_ + "/").c_str(), 1);
}

// Why the log folder cannot take the library's log, or "" when it can.
std::string logDirProblem(const std::string& dir) {
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(dir, error);
    if (!std::filesystem::exists(status)) return "no such folder; the library writes no log";
    if (!std::filesystem::is_directory(status)) return "not a folder; the library writes no log";
    if (access(dir.c_str(), W_OK | X_OK) != 0) return "not writable; the library writes no log";
    return "";
}

// libyat.so beside the program, else in one of the two folders above it (the build tree), else the
// installed library by its SONAME, which dlopen looks up through yatctl's run path
// ($ORIGIN/../<libdir> once installed) and the system's library folders.
std::string Session::findLibrary() const {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return kInstalledLibraryName;
    std::filesystem::path folder = program.parent_path();
    for (int up = 0; up <= 2; ++up, folder = folder.parent_path()) {
        std::filesystem::path candidate = folder / kLibraryName;
        if (std::filesystem::exists(candidate, error)) return candidate.string();
    }
    return kInstalledLibraryName;
}

cDeviceLib& Session::library() {
    if (library_ != nullptr) return *library_;
    libraryPath_ = options_.libraryPath.empty() ? findLibrary() : options_.libraryPath;
    if (!options_.logDir.empty()) {
        setenv("YAT_LOG_DIR", options_.logDir.c_str(), 1);
        // The library never fails for its log; say once why there will be none.
        std::string problem = logDirProblem(options_.logDir);
        if (!problem.empty()) std::cerr << "yatctl: --log-dir " << options_.logDir << ": " << problem << "\n";
    }
    // The library's progress lines would mix with the tables and the JSON document.
    if (!options_.verbose) setenv("YAT_STDOUT", "off", 1);
    if (std::getenv("YAT_ROOT_DIR") == nullptr) prepareRootDir();

    // A device that reaches no SP (a daemon that is not running) would open the library over zero
    // nodes and every command would seem to succeed with nothing to show.
    if (sim() == nullptr && comm().getNodeCount() == 0) {
        throw LibraryError("no SP reachable through the " + commDescription());
    }

    handle_ = dlopen(libraryPath_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        throw LibraryError("cannot load " + libraryPath_ + ": " + (why != nullptr ? why : "unknown error"));
    }
    auto open = symbol<int32_t (*)(cLibYAT**, cBusComm*)>(handle_, "openLibrary");
    auto close = symbol<int32_t (*)()>(handle_, "closeLibrary");
    if (open == nullptr || close == nullptr) {
        throw LibraryError(libraryPath_ + " does not export openLibrary and closeLibrary");
    }
    cLibYAT* object = nullptr;
    int32_t result = open(&object, &comm());
    if (object != nullptr) close_ = close;  // one use to give back
    if (result != ERR_SUCCESS || object == nullptr) {
        throw LibraryError("openLibrary failed with result " + std::to_string(result) + " " + resultName(result));
    }
    library_ = object;
    return *library_;
}

}  // namespace yatctl
