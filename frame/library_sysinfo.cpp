// The library object's system information operations: each forwards to SystemInfo.

#include "frame/libyat.h"
#include "sysinfo/system_info.h"

int32_t cLibYAT::getSPType(int32_t* type) { return parts_->systemInfo->getSPType(type); }
int32_t cLibYAT::getSystemState(int32_t node, SystemStateInfo* info) {
    return parts_->systemInfo->getSystemState(node, info);
}
int32_t cLibYAT::getWatchogTimers(int32_t node, WatchdogTimersInfo* info) {
    return parts_->systemInfo->getWatchogTimers(node, info);
}
int32_t cLibYAT::getFirmwareData(int32_t node, int32_t kind, FirmwareInfo* info, int32_t extra) {
    return parts_->systemInfo->getFirmwareData(node, kind, info, extra);
}
int32_t cLibYAT::getVPDData(int32_t node, int32_t kind, int32_t instance, VPD* vpd) {
    return parts_->systemInfo->getVPDData(node, kind, instance, vpd);
}
int32_t cLibYAT::getMachineVPD(int32_t node, MachineVPDInfo* info) {
    return parts_->systemInfo->getMachineVPD(node, info);
}
int32_t cLibYAT::getPostBiosVPD(int32_t node, PostBiosVPDInfo* info) {
    return parts_->systemInfo->getPostBiosVPD(node, info);
}
