#include "sim/sections/sections.h"

#include "sim/sections/firmware.h"
#include "sim/sections/sensors.h"
#include "sim/sections/sp.h"
#include "sim/sections/system.h"
#include "sim/sections/vpd.h"

namespace yatsim {

const std::vector<SectionSpec>& nodeSections() {
    static const std::vector<SectionSpec> specs{
        {"sp", &SpSection::load},
        {"system", &SystemSection::load},
        {"firmware", &FirmwareSection::load},
        {"vpd", &VpdSection::load},
        {"sensors", &SensorsSection::load},
    };
    return specs;
}

}  // namespace yatsim
