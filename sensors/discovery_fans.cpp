// Discovery of the fans of every node: probed by instance number and remembered across runs in the
// host's registry texts, so that a fan that stood still at one run is kept at the next.

#include <cstdio>

#include "sensors/discovery_steps.h"
#include "yat/bus_comm.h"
#include "yat/result_codes.h"
#include "yat/sensor_sink.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_wire.h"
#include "sensors/log_texts.h"

namespace yat::discovery {

namespace {

// Fans are probed by instance number 1-31 and remembered in the host's registry texts.
constexpr int32_t kFanInstances = 31;
constexpr int32_t kFanType = yat::kTypeFan;
constexpr const char* kVigilorKey = "SOFTWARE\\Zentro\\Vigilor";
constexpr const char* kFanKey = "SOFTWARE\\Zentro\\Vigilor\\SPfan";
constexpr const char* kFanKeyHeader = "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zentro\\Vigilor\\SPfan]\n";

}  // namespace

void discoverFans(cBusComm* comm, cSensorSink* sink, NodeBases& bases, const SilentNodes& silent, cFanInst* fan) {
    uint32_t nodeCount = comm->getNodeCount();
    yatLog(kRunTag, sensors_texts::kDoingFanstuff);
    yatLog(kRunTag, sensors_texts::kTheNumberOfNodesForFans, static_cast<int32_t>(nodeCount));
    auto known = [sink](const char* text) { return sink != nullptr && sink->findRegistryText(text) != 0; };
    if (!known(kFanKey) && sink != nullptr) sink->addRegistryText(kVigilorKey, kFanKeyHeader);

    for (int32_t i = 0; static_cast<uint32_t>(i) < comm->getNodeCount(); ++i) {
        if (silent.count(i) != 0) continue;
        int32_t nodeBase = bases.of(i, comm->getNodeCount());
        int32_t fanSensor = 1;
        for (int32_t instance = 1; instance <= kFanInstances; ++instance) {
            char text[48];
            std::snprintf(text, sizeof text, "node[%d] sensor%d\n\n", i, instance);
            int32_t status = 0;
            int32_t reading = 0;
            int32_t upper = 0;
            int32_t lower = 0;
            int32_t result =
                fan->getSPSensorStatus(i, sensorwire::kClassFan, 0, instance, &status, &reading, &upper, &lower, comm);
            bool store = false;
            bool valid = false;
            if (result == ERR_SUCCESS) {
                yatLog(kRunTag, sensors_texts::kTheCurrentFanNodeInstance, i, instance);
                bool inRegistry = known(text);
                if (inRegistry || reading > 0) {
                    if (!inRegistry) {
                        yatLog(kRunTag, sensors_texts::kTheCurrentFanNodeInstanceCould, i, instance, status);
                        if (sink != nullptr) sink->addRegistryText(kFanKey, text);
                    }
                    yatLog(kRunTag, sensors_texts::kGotTheVoltageReadingForNode, i, instance, reading, upper, lower);
                    store = valid = true;
                } else {
                    yatLog(kRunTag, sensors_texts::kTheCurrentFanNodeInstance2, i, instance);
                    reading = 0;
                    store = true;
                }
            } else if (known(text)) {
                yatLog(kRunTag, sensors_texts::kTheCurrentFanNodeInstanceGot, i, instance, status);
                reading = upper = lower = 0;
                store = valid = true;
            }
            if (!store) continue;
            SensorSource source =
                sensorSource({i, sensorwire::kClassFan, 0, instance, kFanType}, status, reading, upper, lower);
            fan->insertInstance(nodeBase + 1, fanSensor, &source, valid);
            if (valid && sink != nullptr) {
                int32_t flag = 1;
                sink->reportSensor(sensorwire::kClassFan, nodeBase + 1, fanSensor, &fanSensor, &flag, nullptr,
                                   kDiscoveryCode, nullptr);
            }
            ++fanSensor;
        }
    }
    yatLog(kRunTag, sensors_texts::kPastTheCheckingOfFans);
}

}  // namespace yat::discovery
