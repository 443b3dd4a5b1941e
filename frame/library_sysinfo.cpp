// The library object's system information operations: each forwards to SystemInfo.

#include "frame/libyat.h"
#include "sysinfo/system_info.h"

int32_t cLibYAT::getSPType(int32_t* type) { return systemInfo->getSPType(type); }
int32_t cLibYAT::getSystemState(int32_t node, SystemStateInfo* info) { return systemInfo->getSystemState(node, info); }
int32_t cLibYAT::getWatchogTimers(int32_t node, WatchdogTimersInfo* info) {
    return systemInfo->getWatchogTimers(node, info);
}
int32_t cLibYAT::getFirmwareData(int32_t node, int32_t kind, FirmwareInfo* info, int32_t extra) {
    return systemInfo->getFirmwareData(node, kind, info, extra);
}
int32_t cLibYAT::getVPDData(int32_t node, int32_t kind, int32_t instance, VPD* vpd) {
    return systemInfo->getVPDData(node, kind, instance, vpd);
}
int32_t cLibYAT::getMachineVPD(int32_t node, MachineVPDInfo* info) { return systemInfo->getMachineVPD(node, info); }
int32_t cLibYAT::getPostBiosVPD(int32_t node, PostBiosVPDInfo* info) { return systemInfo->getPostBiosVPD(node, info); }
