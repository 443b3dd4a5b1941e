// libyat_sockcomm.so's plugin entry (yat/comm_plugin.h). The argument text is the endpoint,
// "unix:PATH" or "tcp:127.0.0.1:PORT", optionally followed by ",timeout=MS" (the request timeout).

#include <exception>
#include <memory>
#include <string>

#include "sockcomm/socket_bus_comm.h"
#include "yat/comm_plugin.h"

namespace {

cBusComm* openSocketComm(const char* argument, char* error, size_t errorSize) {
    yatCommPluginError(error, errorSize, "");
    try {
        std::string why;
        std::optional<sockcomm::SocketOptions> options = sockcomm::parseSocketOptions(argument, why);
        if (!options) {
            yatCommPluginError(error, errorSize, why.c_str());
            return nullptr;
        }
        return std::make_unique<sockcomm::SocketBusComm>(options->endpoint, options->timeout).release();
    } catch (const std::exception& failure) {
        yatCommPluginError(error, errorSize, failure.what());
    }
    return nullptr;
}

void closeSocketComm(cBusComm* comm) {
    // Only devices from openSocketComm come here.
    std::unique_ptr<sockcomm::SocketBusComm> owned(static_cast<sockcomm::SocketBusComm*>(comm));
}

const YatCommPlugin socketPlugin{kYatCommPluginVersion, "socket", openSocketComm, closeSocketComm};

}  // namespace

extern "C" __attribute__((visibility("default"))) const YatCommPlugin* yatCommPlugin() { return &socketPlugin; }
