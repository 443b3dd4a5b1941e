#include "sim/comm_library/sim_comm.h"

#include "yat/comm_plugin.h"

#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "sim/scenario.h"
#include "sim/sim_bus_comm.h"

extern "C" cBusComm* yatSimCommOpen(const char* scenarioFile, char* error, size_t errorSize) {
    yatCommPluginError(error, errorSize, "");
    try {
        yatsim::Scenario scenario = (scenarioFile == nullptr || *scenarioFile == '\0')
                                        ? yatsim::defaultScenario()
                                        : yatsim::loadScenarioFile(scenarioFile);
        return std::make_unique<yatsim::SimBusComm>(std::move(scenario)).release();
    } catch (const std::exception& failure) {
        yatCommPluginError(error, errorSize, failure.what());
    } catch (...) {
        yatCommPluginError(error, errorSize, "unknown error");
    }
    return nullptr;
}

extern "C" void yatSimCommClose(cBusComm* comm) {
    // Only devices from yatSimCommOpen come here, and those are always SimBusComm.
    std::unique_ptr<yatsim::SimBusComm> owned(static_cast<yatsim::SimBusComm*>(comm));
}

namespace {

const YatCommPlugin simPlugin{kYatCommPluginVersion, "sim", yatSimCommOpen, yatSimCommClose};

}  // namespace

// The plugin contract (yat/comm_plugin.h): the argument text is the scenario file, empty for the
// built-in scenario.
extern "C" YATSIM_EXPORT const YatCommPlugin* yatCommPlugin() { return &simPlugin; }
