// The VPD reads of sensor discovery.

#include "sensors/sensor_vpd.h"

#include "yat/vpd.h"
#include "sysinfo/vpd_command.h"

SensorVpdRead readSensorVpd(cBusComm* comm, int32_t node, int32_t kind, int32_t instance) {
    SensorVpdRead result;
    cSPVPDCmd command;
    command.buildCommand(kind, instance, 0, kVPDReadLength);
    result.sent = command.send(comm, node);
    if (result.sent != ERR_SUCCESS) return result;
    result.status = command.answerStatus();
    if (!result.present()) return result;
    VPD vpd;
    if (command.getCommandData(kind, &vpd) == ERR_SUCCESS && vpd.isVPDValid() && !vpd.get_EEPROM_FRU_NUMBER().empty()) {
        result.hasFru = true;
        result.fru = vpd.get_EEPROM_FRU_NUMBER();
    }
    return result;
}
