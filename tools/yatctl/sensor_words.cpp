// Class names, units and status words.

#include "yatctl/sensor_words.h"

namespace yatctl {

namespace {

constexpr ClassInfo kClasses[] = {{1, "temperature", "°C"}, {2, "voltage", "V"}, {3, "fan", "RPM"}, {4, "power", ""}};

}  // namespace

const ClassInfo& classInfo(int32_t sensorClass) {
    static constexpr ClassInfo kNode{5, "node", ""};
    return sensorClass >= 1 && sensorClass <= 4 ? kClasses[sensorClass - 1] : kNode;
}

// The status codes of each class as words.
std::string statusWord(int32_t sensorClass, int32_t status) {
    switch (sensorClass) {
        case 1:
            switch (status) {
                case 1: return "normal";
                case 2: return "warning";
                case 3: return "critical";
                case 50: return "processor hot";
                case 51: return "processor normal";
                default: break;
            }
            break;
        case 2:
            switch (status) {
                case 1: return "normal";
                case 6: return "low";
                case 9: return "high";
                default: break;
            }
            break;
        case 3:
            switch (status) {
                case 1: return "normal";
                case 3: return "low";
                default: break;
            }
            break;
        case 4:
            switch (status) {
                case 0: return "not checked";
                case 1: return "good";
                case 3: return "failed";
                case 44: return "failed";
                case 47: return "unavailable";
                case 49: return "unmonitored";
                default: break;
            }
            break;
        case 5:
            switch (status) {
                case 37: return "DASD alert";
                case 41: return "PFA alert";
                case 42: return "voltage event";
                case 43: return "fan event";
                case 50: return "processor hot";
                case 51: return "processor normal";
                default: break;
            }
            break;
        default:
            break;
    }
    return status == 0 ? "unknown" : "status " + std::to_string(status);
}

}  // namespace yatctl
