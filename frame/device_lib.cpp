// Base behaviours of cDeviceLib: every operation answers that it is not provided.

#include "yat/device_lib.h"

#include "platform/text.h"

cDeviceLib::cDeviceLib(const char* eventTagText, const char* logShort, const char* logLong, const char* deviceKind) {
    if (eventTagText != nullptr) copyText(eventTag, sizeof eventTag, eventTagText);
    if (logShort != nullptr) copyText(logShortName, sizeof logShortName, logShort);
    if (logLong != nullptr) copyText(logLongName, sizeof logLongName, logLong);
    copyText(deviceKindName, sizeof deviceKindName, deviceKind != nullptr ? deviceKind : "Unknown");
}

int32_t cDeviceLib::initSensors(cSensorSink*) { return 1; }
uint32_t cDeviceLib::getNodeCount() { return 0; }
bool cDeviceLib::reservedSlot2(uint32_t* value) {
    if (value != nullptr) *value = 0;
    return false;
}
int32_t cDeviceLib::getNumberSensors(int32_t, int32_t) { return 1; }
int32_t cDeviceLib::getSensorReading(int32_t, int32_t, int32_t, void*) { return 1; }
int32_t cDeviceLib::getSensorLimits(int32_t, int32_t, int32_t, void*, void*) { return 1; }
int32_t cDeviceLib::getSensorStatus(int32_t, int32_t, int32_t, int32_t*, void*, void*, void*) { return 1; }
int32_t cDeviceLib::getSensorType(int32_t, int32_t, int32_t, int32_t*) { return 1; }
int32_t cDeviceLib::getSensorLocation(int32_t, int32_t, int32_t, int32_t*) { return 1; }
bool cDeviceLib::capabilityFlag9() { return false; }
int32_t cDeviceLib::registerForAsynchEvents(cSensorSink*) { return 1; }
void cDeviceLib::deRegisterForAsynchEvents() {}
int32_t cDeviceLib::checkSystemHealth(int32_t, int32_t*, int32_t, int32_t) { return 1; }
int32_t cDeviceLib::reservedSlot13(int32_t, int32_t) { return 1; }
int32_t cDeviceLib::getFirstLogEntry(int32_t, LogEntryInfo*) { return 1; }
int32_t cDeviceLib::getNextLogEntry(int32_t, LogEntryInfo*) { return 1; }
int32_t cDeviceLib::reservedSlot16(int32_t, int32_t) { return 1; }
int32_t cDeviceLib::reservedSlot17(int32_t, int32_t) { return 1; }
int32_t cDeviceLib::reservedSlot18(int32_t, int32_t) { return 1; }
int32_t cDeviceLib::reservedSlot19(int32_t, int32_t) { return 1; }
int32_t cDeviceLib::reservedSlot20(int32_t, int32_t) { return 1; }
int32_t cDeviceLib::reservedSlot21(int32_t, int32_t, int32_t, int32_t) { return 1; }
int32_t cDeviceLib::getDefaultThresholds(int32_t, int32_t*, int32_t*, int32_t*) { return 1; }
int32_t cDeviceLib::getVPDData(int32_t, int32_t, int32_t, VPD*) { return 1; }
int32_t cDeviceLib::eraseLog(int32_t) { return 1; }
bool cDeviceLib::reservedSlot25(int32_t) { return false; }
bool cDeviceLib::reservedSlot26() { return false; }
int32_t cDeviceLib::getBluelightStatus(int32_t, int32_t*) { return 1; }
int32_t cDeviceLib::setBluelightStatus(int32_t, int32_t) { return 1; }
int32_t cDeviceLib::getSensorInstance(int32_t, int32_t, int32_t, int32_t*) { return 1; }
int32_t cDeviceLib::getDHCPEnable(int32_t, int32_t, int32_t*) { return 1; }
int32_t cDeviceLib::getIPConfigInfo(int32_t, int32_t, char*, char*, char*, int32_t*) { return 1; }
int32_t cDeviceLib::getIPConfigString(int32_t, int32_t, char*, int32_t) { return 1; }
int32_t cDeviceLib::setDHCPEnable(int32_t, int32_t, int32_t) { return 1; }
int32_t cDeviceLib::setIPConfigInfo(int32_t, int32_t, const char*, const char*, const char*) { return 1; }
int32_t cDeviceLib::getFirmwareData(int32_t, int32_t, FirmwareInfo*, int32_t) { return 1; }
int32_t cDeviceLib::getTypeSupportLevel(int32_t, int32_t) { return 0; }
int32_t cDeviceLib::setIPConfigString(int32_t, int32_t, const char*, int32_t) { return 1; }
void cDeviceLib::resetServiceProcessor(int32_t) {}
int32_t cDeviceLib::getSPType(int32_t*) { return spType; }
int32_t cDeviceLib::getSystemState(int32_t, SystemStateInfo*) { return 1; }
int32_t cDeviceLib::getMachineVPD(int32_t, MachineVPDInfo*) { return 1; }
int32_t cDeviceLib::getWatchogTimers(int32_t, WatchdogTimersInfo*) { return 1; }
int32_t cDeviceLib::getPostBiosVPD(int32_t, PostBiosVPDInfo*) { return 1; }
void cDeviceLib::getMonitorPFAEventSupport(uint32_t* level) {
    if (level != nullptr) *level = 0;
}
int32_t cDeviceLib::monitorPFAEvents(PFAEventInfo*) { return 1; }
int32_t cDeviceLib::getGlintStatus(GlintLEDList*) { return 1; }
int32_t cDeviceLib::initGlint() { return 1; }
bool cDeviceLib::capabilityFlag48() { return false; }
int32_t cDeviceLib::getPasswordInformation(int32_t, uint8_t*, int32_t*, int32_t*, uint8_t*) { return 1; }
int32_t cDeviceLib::setPasswordInformation(int32_t, uint8_t*, int32_t*, int32_t*, uint8_t*) { return 1; }
int32_t cDeviceLib::getNetworkPort(int32_t, int32_t, int32_t*) { return 1; }
int32_t cDeviceLib::setNetworkPort(int32_t, int32_t, int32_t) { return 1; }
int32_t cDeviceLib::getLoginPolicyValue(int32_t, int32_t*) { return 1; }
int32_t cDeviceLib::setLoginPolicyValue(int32_t, int32_t) { return 1; }
int32_t cDeviceLib::getRemoteAlertConfiguration(int32_t, int32_t*, int32_t*, int32_t*, int32_t*, uint8_t*) { return 1; }
int32_t cDeviceLib::getSMTPConfiguration(int32_t, int32_t, char*, uint32_t*) { return 1; }
int32_t cDeviceLib::getSNMPConfiguration(int32_t, char*, int32_t*, char*, int32_t*, int32_t*, int32_t*) { return 1; }
int32_t cDeviceLib::getSNMPCommunityConfiguration(int32_t, uint32_t, char*, int32_t*, int32_t*) { return 1; }
int32_t cDeviceLib::getSNMPCommunityIP(int32_t, uint32_t, uint32_t, char*, int32_t*) { return 1; }
int32_t cDeviceLib::setRemoteAlertConfiguration(int32_t, int32_t*, int32_t*, int32_t*, uint8_t*, uint8_t*) { return 1; }
int32_t cDeviceLib::setSMTPConfiguration(int32_t, int32_t, const char*) { return 1; }
int32_t cDeviceLib::setSNMPConfiguration(int32_t, const char*, const char*, const uint8_t*, const uint8_t*) {
    return 1;
}
int32_t cDeviceLib::setSNMPCommunityConfiguration(int32_t, uint32_t, const char*, const uint8_t*) { return 1; }
int32_t cDeviceLib::setSNMPCommunityIP(int32_t, uint32_t, uint32_t, const char*) { return 1; }
int32_t cDeviceLib::getOOBAlertConfiguration(int32_t, uint32_t, int32_t*, char*, int32_t*, char*, int32_t*, char*,
                                             int32_t*, char*, int32_t*, int32_t*, int32_t*, int32_t*) {
    return 1;
}
int32_t cDeviceLib::setOOBAlertConfiguration(int32_t, uint32_t, int32_t*, const char*, const char*, const char*,
                                             const char*, const char*, const int32_t*, const int32_t*) {
    return 1;
}
int32_t cDeviceLib::initEvents() { return 1; }
int32_t cDeviceLib::getEventConfiguration(uint32_t, uint32_t, int32_t*, char*, int32_t*, uint8_t*) { return 1; }
int32_t cDeviceLib::getEventConfiguration(uint32_t, uint32_t, uint8_t*) { return 1; }
int32_t cDeviceLib::getUserAccount(int32_t, uint32_t, int32_t*, int32_t*, char*, int32_t*, int32_t*, int32_t*, char*,
                                   int32_t*, int32_t*) {
    return 1;
}
int32_t cDeviceLib::setUserAccount(int32_t, uint32_t, int32_t*, int32_t*, int32_t*, const char*, const char*) {
    return 1;
}
