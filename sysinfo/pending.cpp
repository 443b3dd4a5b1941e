// Placeholders for the system information operations until they are built: each answers like the
// interface's base behaviour.

#include "frame/libyat.h"
#include "frame/result_codes.h"

int32_t cLibYAT::getSPType(int32_t* type) { return cDeviceLib::getSPType(type); }
int32_t cLibYAT::getSystemState(int32_t, SystemStateInfo*) { return ERR_FAILED; }
int32_t cLibYAT::getWatchogTimers(int32_t, WatchdogTimersInfo*) { return ERR_FAILED; }
int32_t cLibYAT::getFirmwareData(int32_t, int32_t, FirmwareInfo*, int32_t) { return ERR_FAILED; }
int32_t cLibYAT::getVPDData(int32_t, int32_t, int32_t, VPD*) { return ERR_FAILED; }
int32_t cLibYAT::getMachineVPD(int32_t, MachineVPDInfo*) { return ERR_FAILED; }
int32_t cLibYAT::getPostBiosVPD(int32_t, PostBiosVPDInfo*) { return ERR_FAILED; }
int32_t cLibYAT::initVectoredSystemSummary() { return ERR_FAILED; }
void cLibYAT::freeSystemSummary() {}
