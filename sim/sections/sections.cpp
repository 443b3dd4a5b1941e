#include "sim/sections/sections.h"

#include "sim/sections/alerts.h"
#include "sim/sections/accounts.h"
#include "sim/sections/firmware.h"
#include "sim/sections/leds.h"
#include "sim/sections/event_log.h"
#include "sim/sections/firmware.h"
#include "sim/sections/network.h"
#include "sim/sections/sensors.h"
#include "sim/sections/snmp.h"
#include "sim/sections/sp.h"
#include "sim/sections/system.h"
#include "sim/sections/vpd.h"

namespace yatsim {

const std::vector<SectionLoader>& nodeSections() {
    static const std::vector<SectionLoader> loaders{
        {"sp", &SpSection::load},     {"system", &SystemSection::load},     {"firmware", &FirmwareSection::load},
        {"vpd", &VpdSection::load},   {"sensors", &SensorsSection::load},   {"alerts", &AlertsSection::load},
        {"leds", &LedsSection::load}, {"eventLog", &EventLogSection::load}, {"network", &NetworkSection::load},
        {"snmp", &SnmpSection::load}, {"accounts", &AccountsSection::load},
    };
    return loaders;
}

}  // namespace yatsim
