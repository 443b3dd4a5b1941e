// Discovery of a node's temperatures: the scanned locations of each supported-commands entry, the
// DASD backplane with its VPD, and placeholders for CPUs the SP does not list.

#include "sensors/discovery_steps.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_vpd.h"
#include "sensors/sensor_wire.h"
#include "sensors/supported_commands.h"
#include "sysinfo/vpd_command.h"
#include "sensors/log_texts.h"

namespace yat::discovery {

namespace {

// Temperature locations: the CPUs, the DASD backplane (read with its VPD) and the place a DASD
// sensor without limits is tried again.
constexpr int32_t kCpuLocation = sensorwire::kLocationCpu;
constexpr int32_t kDasdLocation = sensorwire::kLocationDasd;
constexpr int32_t kDasdRetryLocation = sensorwire::kLocationDasdRetry;
constexpr int32_t kCpuPlaceholderType = yat::kTypeCpuPlaceholder;
constexpr int32_t kCpuPlaceholderStatus = yat::kStatusProcessorNormal;
constexpr int32_t kCpuPlaceholders = 2;

}  // namespace

void NodeSensors::temperatures(const SensorReadingEntry& entry) {
    yatLog(kRunTag, sensors_texts::kLookingAtTemperatures);
    bool dasd = entry.location == kDasdLocation;
    bool scanned =
        entry.location == 1 || entry.location == kCpuLocation || entry.location == 3 || entry.location == 5 || dasd;
    if (!scanned) return;
    yatLog(kRunTag, sensors_texts::kFirstLast, entry.first, entry.last);
    for (int32_t instance = entry.first; instance <= entry.last; ++instance) temperature(entry, instance, dasd);
}

void NodeSensors::temperature(const SensorReadingEntry& entry, int32_t instance, bool dasd) {
    int32_t location = entry.location;
    int32_t status = 0;
    int32_t reading = 0;
    int32_t upper = 0;
    int32_t lower = 0;
    int32_t result = temp->getSPSensorStatus(nodeIndex, sensorwire::kClassTemperature, location, instance, &status,
                                             &reading, &upper, &lower, comm);
    // Success means the reading itself worked; a sensor without limits comes back with status 0.
    if (result == ERR_BAD_ANSWER) {
        yatLog(kChipTag, sensors_texts::kTheTempReadingFailedFor, tempSensor);
        ++tempSensor;
        return;
    }
    yatLog(kChipTag, sensors_texts::kTheTempReadingSucceededForAnd, tempSensor, reading,
           static_cast<unsigned>(entry.location), static_cast<unsigned>(entry.instanceByte), upper, lower);
    if (status == yat::kStatusUnknown && location == kDasdLocation) {
        status = reading = upper = lower = 0;
        result = temp->getSPSensorStatus(nodeIndex, sensorwire::kClassTemperature, kDasdRetryLocation, instance,
                                         &status, &reading, &upper, &lower, comm);
        if (result != ERR_BAD_ANSWER && status != yat::kStatusUnknown) {
            location = kDasdRetryLocation;
        } else {
            status = 0;
        }
    }
    if (status == yat::kStatusUnknown) {
        ++tempSensor;
        return;
    }

    SensorSource source = sensorSource({nodeIndex, sensorwire::kClassTemperature, location, instance, instance}, status,
                                       reading, upper, lower);
    temp->insertInstance(nodeBase + 1, tempSensor, &source, true);
    if (location == kCpuLocation) {
        yatLog(kChipTag, sensors_texts::kFoundCPUTemperature);
        cpuFound = true;
    }

    SensorVpdRead vpd;
    if (dasd) {
        yatLog(kChipTag, sensors_texts::kGettingTheDASDVPDInformation);
        vpd = readSensorVpd(comm, nodeIndex, kVPDKindDASD, 1);
        if (vpd.sentOk()) {
            yatLog(kVpdTag, sensors_texts::kTheCommandSucceededForAndHas, instance, statusByte(vpd.status));
            if (vpd.present()) {
                yatLog(kVpdTag, sensors_texts::kTheCommandSucceededForAndHas2, instance, vpd.fru.c_str());
            }
        }
    } else {
        yatLog(kChipTag, sensors_texts::kNotGettingTheDASDVPDInformation);
    }
    report(sensorwire::kClassTemperature, nodeBase + 1, tempReport, &tempSensor, &upper, &lower,
           vpd.hasFru ? vpd.fru.c_str() : nullptr);
    ++tempReport;
    ++tempSensor;
}

void NodeSensors::cpuPlaceholders() {
    yatLog(kChipTag, sensors_texts::kRealCPUTemperaturesNotFound);
    for (int32_t instance = 1; instance <= kCpuPlaceholders; ++instance) {
        SensorSource source =
            sensorSource({nodeIndex, sensorwire::kClassTemperature, kCpuLocation, instance, kCpuPlaceholderType},
                         kCpuPlaceholderStatus, 0, 0, 0);
        temp->insertInstance(nodeBase + 1, tempSensor, &source, false);
        ++tempSensor;
    }
}

}  // namespace yat::discovery
