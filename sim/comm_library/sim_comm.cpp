#include "sim/comm_library/sim_comm.h"

#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "sim/scenario.h"
#include "sim/sim_bus_comm.h"

namespace {

void writeError(char* error, size_t errorSize, const char* text) {
    if (error == nullptr || errorSize == 0) return;
    size_t length = std::strlen(text);
    if (length >= errorSize) length = errorSize - 1;
    std::memcpy(error, text, length);
    error[length] = '\0';
}

}  // namespace

extern "C" cBusComm* yatSimCommOpen(const char* scenarioFile, char* error, size_t errorSize) {
    writeError(error, errorSize, "");
    try {
        yatsim::Scenario scenario = (scenarioFile == nullptr || *scenarioFile == '\0')
                                        ? yatsim::defaultScenario()
                                        : yatsim::loadScenarioFile(scenarioFile);
        return std::make_unique<yatsim::SimBusComm>(std::move(scenario)).release();
    } catch (const std::exception& failure) {
        writeError(error, errorSize, failure.what());
    } catch (...) {
        writeError(error, errorSize, "unknown error");
    }
    return nullptr;
}

extern "C" void yatSimCommClose(cBusComm* comm) {
    // Only devices from yatSimCommOpen come here, and those are always SimBusComm.
    std::unique_ptr<yatsim::SimBusComm> owned(static_cast<yatsim::SimBusComm*>(comm));
}
