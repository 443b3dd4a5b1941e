// A comm plugin built for another version of the contract.
#include "yat/comm_plugin.h"

namespace {
cBusComm* openNothing(const char*, char*, size_t) { return nullptr; }
void closeNothing(cBusComm*) {}
const YatCommPlugin plugin{kYatCommPluginVersion + 1, "future", openNothing, closeNothing};
}  // namespace

extern "C" __attribute__((visibility("default"))) const YatCommPlugin* yatCommPlugin() { return &plugin; }
