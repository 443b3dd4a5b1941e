#pragma once
// Session: what one yatctl run works with — the scenario and the simulator's comm device, and the
// library loaded with dlopen and opened with that comm device, exactly as a host agent does. The
// library is opened on first use and closed (closeLibrary) when the session ends.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "yat/device_lib.h"
#include "yat/result_names.h"
#include "sim/sim_bus_comm.h"

namespace yatctl {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // a library operation failed (or the library could not be used)
inline constexpr int kExitUsage = 2;   // usage or scenario error

// A wrong argument or option value (exit 2).
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The library could not be loaded or opened (exit 1).
class LibraryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct GlobalOptions {
    std::string scenarioFile;  // empty: the default scenario
    std::string libraryPath;   // empty: libyat.so beside the program (or one folder up)
    std::string logDir;        // empty: the library's default
    bool json = false;
    bool verbose = false;  // let the library's progress lines through (YAT_STDOUT stays as it is)
};

// Why libyat.log cannot be written in dir ("no such folder", "not a folder", "not writable"), or empty.
std::string logDirProblem(const std::string& dir);

class Session {
public:
    // Loads the scenario (yatsim::ScenarioError on a bad one) and creates the comm device.
    explicit Session(const GlobalOptions& options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const GlobalOptions& options() const { return options_; }
    yatsim::SimBusComm& comm() { return *comm_; }
    uint32_t nodeCount() { return comm_->getNodeCount(); }

    // The library as the host sees it; loads and opens it on first use (LibraryError on failure).
    cDeviceLib& library();
    const std::string& libraryPath() const { return libraryPath_; }

    // Notes a result that decides the exit status and returns it.
    int32_t check(int32_t result) {
        if (result != 0) failed_ = true;
        return result;
    }
    void markFailed() { failed_ = true; }
    bool failed() const { return failed_; }
    // A status the subcommand chose (sensors --check); the run exits with the larger of it and the
    // failure status.
    void setExitStatus(int status) { chosenStatus_ = status; }
    int exitStatus() const { return std::max(failed_ ? kExitFailed : kExitOk, chosenStatus_); }

private:
    std::string findLibrary() const;
    // Without YAT_ROOT_DIR in the environment: writes the scenario's LED panel registry file into a
    // fresh temporary root folder (removed when the session ends) and points YAT_ROOT_DIR at it, as
    // the product's installation would provide the file.
    void prepareRootDir();

    GlobalOptions options_;
    std::unique_ptr<yatsim::SimBusComm> comm_;
    void* handle_ = nullptr;
    int32_t (*close_)() = nullptr;
    cDeviceLib* library_ = nullptr;
    std::string libraryPath_;
    std::string rootDir_;  // the temporary root folder, or ""
    bool failed_ = false;
    int chosenStatus_ = kExitOk;
};

// The name of a result code ("ERR_BAD_ANSWER"), or "" for an unknown code.
using yat::resultName;

}  // namespace yatctl
