#pragma once
// Session: what one yatctl run works with — the comm device chosen by --comm (the embedded simulator
// by default), and the library loaded with dlopen and opened with that comm device, exactly as a host
// agent does. The library is opened on first use and closed (closeLibrary) when the session ends.

#include <algorithm>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "yat/device_lib.h"
#include "yat/result_names.h"
#include "sim/sim_bus_comm.h"
#include "tools/comm/comm_choice.h"

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
    std::string comm;          // --comm text (tools/comm/comm_choice.h); empty: the embedded simulator
    std::string libraryPath;   // empty: libyat.so beside the program (or one folder up)
    std::string logDir;        // empty: the library's default
    bool json = false;
    bool verbose = false;  // let the library's progress lines through (YAT_STDOUT stays as it is)
};

// Why libyat.log cannot be written in dir ("no such folder", "not a folder", "not writable"), or empty.
std::string logDirProblem(const std::string& dir);

class Session {
public:
    // Opens the comm device: --comm, or the embedded simulator over --scenario (yatsim::ScenarioError
    // on a bad scenario, UsageError on a bad --comm).
    explicit Session(const GlobalOptions& options);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const GlobalOptions& options() const { return options_; }
    cBusComm& comm() { return device_->comm(); }
    // The embedded simulator, or null when another device is in use.
    yatsim::SimBusComm* sim() { return device_->sim(); }
    // The embedded simulator for what only it can do (UsageError naming what with any other device).
    yatsim::SimBusComm& requireSim(const std::string& what);
    // Which device is in use, one line (for the embedded simulator: that changes are lost at exit).
    std::string commDescription() const { return device_->description(); }
    std::string commLabel() const { return device_->label(); }
    uint32_t nodeCount() { return comm().getNodeCount(); }

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
    std::unique_ptr<yatcomm::CommDevice> device_;
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
