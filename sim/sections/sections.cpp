#include "sim/sections/sections.h"

#include "sim/sections/alerts.h"
#include "sim/sections/firmware.h"
#include "sim/sections/sensors.h"
#include "sim/sections/sp.h"
#include "sim/sections/system.h"
#include "sim/sections/vpd.h"

namespace yatsim {

const std::vector<SectionLoader>& nodeSections() {
    static const std::vector<SectionLoader> loaders{
        {"sp", &SpSection::load},
        {"system", &SystemSection::load},
        {"firmware", &FirmwareSection::load},
        {"vpd", &VpdSection::load},
        {"sensors", &SensorsSection::load},
        {"alerts", &AlertsSection::load},
    };
    return loaders;
}

}  // namespace yatsim
