#pragma once
// The one place where host programs (yatctl and its exporter, yat-soak) turn a --comm text into a
// comm device:
//   sim[:SCENARIO]                 the simulator in this process (the default; SCENARIO a JSON file)
//   unix:PATH[,timeout=MS]         a socket comm device to a server such as yat-spd
//   tcp:127.0.0.1:PORT[,timeout=MS]
//   plugin:LIB.so[:ARGS]           a comm device library of the plugin contract (yat/comm_plugin.h),
//                                  opened with the argument text ARGS
// and say which device is in use.

#include <memory>
#include <stdexcept>
#include <string>

#include "sim/scenario.h"
#include "yat/bus_comm.h"

namespace yatsim {
class SimBusComm;
}
namespace sockcomm {
class SocketBusComm;
}

namespace yatcomm {

// The --comm option's help text.
inline constexpr const char* kCommHelp =
    "Comm device: sim[:SCENARIO] (built-in simulator, default), unix:PATH or tcp:127.0.0.1:PORT (a "
    "yat-spd daemon; add ,timeout=MS), plugin:LIB.so[:ARGS]";

struct CommChoice {
    enum class Kind { Sim, Socket, Plugin };
    Kind kind = Kind::Sim;
    std::string argument;  // Sim: scenario file ("" = built-in); Socket: the endpoint text; Plugin: ARGS
    std::string library;   // Plugin: the library's path
};

// A --comm text that is not one of the forms above (the message says why, one line).
class CommChoiceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses a --comm text ("" is "sim"). Throws CommChoiceError.
CommChoice parseCommChoice(const std::string& text);

// An open comm device and what it is. Opening a simulator may throw yatsim::ScenarioError; a socket
// device connects on first use; a plugin that cannot be loaded, has another contract version or
// refuses its arguments throws CommChoiceError.
class CommDevice {
public:
    static std::unique_ptr<CommDevice> open(const CommChoice& choice);
    ~CommDevice();
    CommDevice(const CommDevice&) = delete;
    CommDevice& operator=(const CommDevice&) = delete;

    cBusComm& comm() { return *comm_; }
    // The embedded simulator, or null for any other device.
    yatsim::SimBusComm* sim() { return sim_.get(); }
    // One line for screens and logs: which device, and for the embedded simulator that writes are
    // lost when the program ends.
    std::string description() const { return description_; }
    // Short form for labels: "sim", "unix:/run/yat/spd.sock", "plugin:/path/lib.so".
    std::string label() const { return label_; }

private:
    CommDevice() = default;

    // Owned by their own types: cBusComm has no virtual destructor.
    std::unique_ptr<yatsim::SimBusComm> sim_;
    std::unique_ptr<sockcomm::SocketBusComm> socket_;
    cBusComm* comm_ = nullptr;
    void (*pluginClose_)(cBusComm*) = nullptr;
    std::string description_;
    std::string label_;
};

}  // namespace yatcomm
