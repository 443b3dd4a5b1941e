#include "tools/comm/comm_choice.h"

#include <dlfcn.h>

#include <cstring>

#include "sim/sim_bus_comm.h"
#include "sockcomm/socket_bus_comm.h"
#include "yat/comm_plugin.h"

namespace yatcomm {

CommChoice parseCommChoice(const std::string& text) {
    CommChoice choice;
    if (text.empty() || text == "sim") return choice;
    if (text.rfind("sim:", 0) == 0) {
        choice.argument = text.substr(4);
        if (choice.argument.empty()) throw CommChoiceError("--comm sim: needs a scenario file after the colon");
        return choice;
    }
    if (text.rfind("unix:", 0) == 0 || text.rfind("tcp:", 0) == 0) {
        std::string why;
        if (!sockcomm::parseSocketOptions(text, why)) throw CommChoiceError("--comm " + text + ": " + why);
        choice.kind = CommChoice::Kind::Socket;
        choice.argument = text;
        return choice;
    }
    if (text.rfind("plugin:", 0) == 0) {
        std::string rest = text.substr(7);
        // The library's name ends at the first colon after ".so" (a path may hold colons before it).
        size_t so = rest.find(".so");
        size_t colon = rest.find(':', so == std::string::npos ? 0 : so);
        choice.kind = CommChoice::Kind::Plugin;
        choice.library = rest.substr(0, colon);
        if (colon != std::string::npos) choice.argument = rest.substr(colon + 1);
        if (choice.library.empty()) throw CommChoiceError("--comm plugin: needs a library path");
        return choice;
    }
    throw CommChoiceError("--comm " + text +
                          ": expected sim[:SCENARIO], unix:PATH, tcp:127.0.0.1:PORT or plugin:LIB.so[:ARGS]");
}

std::unique_ptr<CommDevice> CommDevice::open(const CommChoice& choice) {
    std::unique_ptr<CommDevice> device(new CommDevice());
    switch (choice.kind) {
        case CommChoice::Kind::Sim: {
            auto sim = std::make_unique<yatsim::SimBusComm>(
                choice.argument.empty() ? yatsim::defaultScenario() : yatsim::loadScenarioFile(choice.argument));
            device->comm_ = sim.get();
            device->description_ = "embedded simulator (" + sim->scenario().source +
                                   "): changes are lost when this program ends; run yat-spd to keep them";
            device->label_ = "sim";
            device->sim_ = std::move(sim);
            break;
        }
        case CommChoice::Kind::Socket: {
            std::string why;
            std::optional<sockcomm::SocketOptions> options = sockcomm::parseSocketOptions(choice.argument, why);
            if (!options) throw CommChoiceError("--comm " + choice.argument + ": " + why);
            device->socket_ = std::make_unique<sockcomm::SocketBusComm>(options->endpoint, options->timeout);
            device->comm_ = device->socket_.get();
            device->label_ = options->endpoint.text();
            device->description_ = "SP server at " + device->label_;
            break;
        }
        case CommChoice::Kind::Plugin: {
            // Stays loaded until the process ends: the device's code must outlive every call into it.
            void* handle = dlopen(choice.library.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (handle == nullptr) {
                const char* why = dlerror();
                throw CommChoiceError("cannot load comm plugin " + choice.library + ": " +
                                      (why != nullptr ? why : "?"));
            }
            void* address = dlsym(handle, kYatCommPluginSymbol);
            YatCommPluginEntry entry = nullptr;
            static_assert(sizeof entry == sizeof address);
            std::memcpy(&entry, &address, sizeof entry);
            const YatCommPlugin* plugin = entry != nullptr ? entry() : nullptr;
            if (plugin == nullptr) {
                throw CommChoiceError(choice.library + " is not a comm plugin (no " + kYatCommPluginSymbol + ")");
            }
            if (plugin->version != kYatCommPluginVersion) {
                throw CommChoiceError(choice.library + ": comm plugin contract version " +
                                      std::to_string(plugin->version) + ", this program needs version " +
                                      std::to_string(kYatCommPluginVersion) + "; refused");
            }
            char error[256] = {};
            cBusComm* comm = plugin->open(choice.argument.c_str(), error, sizeof error);
            if (comm == nullptr) {
                throw CommChoiceError(choice.library + " refused \"" + choice.argument + "\": " + error);
            }
            device->comm_ = comm;
            device->pluginClose_ = plugin->close;
            device->label_ = "plugin:" + choice.library;
            std::string name = plugin->name != nullptr ? std::string(plugin->name, strnlen(plugin->name, 64)) : "?";
            device->description_ = "comm plugin " + choice.library + " (" + name + ")";
            if (name == "sim") device->description_ += ": a simulator in this process; changes are lost when it ends";
            return device;
        }
    }
    return device;
}

CommDevice::~CommDevice() {
    if (pluginClose_ != nullptr) pluginClose_(comm_);
}

}  // namespace yatcomm
