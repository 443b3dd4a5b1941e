#pragma once
// The sensors of the server as a host sees them: discovery (initSensors) with a sink, every sensor it
// announced read back through the query operations, and the supplies' real state from one polling
// round of the library's monitoring. Used by `sensors`, `health` and `report`.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "yatctl/sensor_words.h"

namespace yatctl {

class Session;
class HostSink;

struct SensorRow {
    int32_t node = 0;         // as --node counts
    int32_t sensorClass = 0;  // yat::SensorClass
    int32_t sensor = 0;       // the sensor number
    std::optional<int32_t> type, location, instance;
    std::string name;    // sensorName, or "<class> <sensor>" when the location is not readable
    int32_t result = 0;  // of getSensorStatus
    int32_t status = 0;
    std::optional<double> reading;
    SensorLimits limits;
    int severity = 0;  // statusSeverity; 2 when the status is not readable
};

struct SensorSurvey {
    int32_t result = 0;  // of initSensors
    std::vector<SensorRow> rows;
    std::vector<int32_t> silentNodes;  // nodes without a single sensor: their SP did not answer discovery
};

// Runs discovery with sink and reads every sensor back; with pollSupplies the supplies that the
// library polls get their state from a polling round first (bounded: at most a few seconds).
SensorSurvey surveySensors(Session& session, HostSink& sink, bool pollSupplies);

// The survey of this run: made on first use (texts in memory only) and shared by the parts of a report.
const SensorSurvey& sharedSurvey(Session& session);

// What needs a look: a failed discovery (the sensors of any node may be missing), "Fan 3 low" per sensor
// at warning or worse, "no sensors answered" per silent node (with "node N: "
// before it when the server has more than one node and node is not given).
std::vector<std::string> attentionList(const SensorSurvey& survey, std::optional<int32_t> node, bool nodePrefix);

// The worst severity of the survey (0, 1, 2; a failed discovery and a silent node are critical).
int worstSeverity(const SensorSurvey& survey, std::optional<int32_t> node);

}  // namespace yatctl
