#pragma once
// The log tags and texts of sensors/: the system's own words, written to libyat.log exactly as they stand.
// Support staff search the log for them, so the odd spellings, spacing and formats are kept on
// purpose: do not correct them. Each constant names the types of its arguments; the compiler checks
// the format against them and every call against the constant (platform/log_text.h).

#include "platform/log_text.h"

namespace sensors_texts {

// Tags of entries whose call names no tag of its own.
inline constexpr const char* kTagCInstanceMapRead = "cInstanceMap::Read";
inline constexpr const char* kTagCSensorInstInsertInstance = "cSensorInst::insertInstance";

// Log tags of the functions that log.
inline constexpr const char* kTagCFanInstanceGetSPSensorStatus = "cFanInstance::getSPSensorStatus";
inline constexpr const char* kTagCInstanceMapAdd = "cInstanceMap::Add";
inline constexpr const char* kTagCPowerInstanceGetSPSensorStatus = "cPowerInstance::getSPSensorStatus";
inline constexpr const char* kTagCSPSensorMonCmdBuildCommand = "cSPSensorMonCmd::buildCommand";
inline constexpr const char* kTagCSPMonitorCmdGetCommandData = "cSPMonitorCmd::getCommandData";
inline constexpr const char* kTagCSensorInstGetSPSensorReading = "cSensorInst::getSPSensorReading";
inline constexpr const char* kTagCSensorInstGetSensorStatus = "cSensorInst::getSensorStatus";
inline constexpr const char* kTagCLibYATGetNumberSensors = "cLibYAT::getNumberSensors";
inline constexpr const char* kTagCLibYATGetSensorReading = "cLibYAT::getSensorReading";
inline constexpr const char* kTagCLibYATGetSensorStatus = "cLibYAT::getSensorStatus";
inline constexpr const char* kTagCTempInstanceGetSPSensorStatus = "cTempInstance::getSPSensorStatus";
inline constexpr const char* kTagCVoltInstanceGetSPSensorLimts = "cVoltInstance::getSPSensorLimts";
inline constexpr const char* kTagCLibYATInitSensors = "cLibYAT::initSensors";
inline constexpr const char* kTagCSPInitChip = "cSP::initChip";
inline constexpr const char* kTagCSPInitChip2 = "cSP::InitChip";
inline constexpr const char* kTagCSPInitCHip = "cSP::InitCHip";
inline constexpr const char* kTagCLIBYATInitSensors = "cLIBYAT::initSensors";

inline constexpr yat::LogText<> kDoingFanstuff{"doing fanstuff"};
inline constexpr yat::LogText<int> kTheNumberOfNodesForFans{"The number of nodes for fans are [%d]"};
inline constexpr yat::LogText<int, int> kTheCurrentFanNodeInstance{"The current fan node [%d], instance [%d]"};
inline constexpr yat::LogText<int, int, int> kTheCurrentFanNodeInstanceCould{
    "The current fan node [%d], instance [%d] could not get reg info with status [%d]"};
inline constexpr yat::LogText<int, int, int, int, int> kGotTheVoltageReadingForNode{
    "got the voltage reading for node [%d] index [%d] reading [%d] upperlim [%d] and lowerlim [%d]"};
inline constexpr yat::LogText<int, int> kTheCurrentFanNodeInstance2{"The current <= fan node [%d], instance [%d]"};
inline constexpr yat::LogText<int, int, int> kTheCurrentFanNodeInstanceGot{
    "The current fan node [%d], instance [%d] got reg info with status [%d]"};
inline constexpr yat::LogText<> kPastTheCheckingOfFans{"past the checking of fans"};
inline constexpr yat::LogText<unsigned, int> kCheckingPwrBufferAgainstCheckingNumber{
    " checking pwrBuffer [%x] against checking number [%d]"};
inline constexpr yat::LogText<int, int> kTheCommandSucceededForAndHas{
    "The command succeeded for [%d] and has a status of [%d]"};
inline constexpr yat::LogText<> kInTheElsePartOfNumber{"in the else part of number of power chips"};
inline constexpr yat::LogText<int, int> kGettingVPDPowerSupplyForSucceeded{
    " getting VPD Power supply for [%d] succeeded with status of [%d]"};
inline constexpr yat::LogText<int> kAddingInstalledPowerSupply{" adding installed power supply [%d]"};
inline constexpr yat::LogText<int> kAddingPowerSupply{" adding power supply [%d]"};
inline constexpr yat::LogText<> kFuelGaugeSupported{"fuel gauge Supported"};
inline constexpr yat::LogText<> kFuelGaugeSupportedButNoPwrnormals{"fuel gauge Supported but no pwrnormals"};
inline constexpr yat::LogText<> kFuelGaugeSupportedWithPwrnormals{"fuel gauge Supported with pwrnormals"};
inline constexpr yat::LogText<int> kTheTotalNumberOfPowerSupplies{
    "The total number of power supplies for monitoring is [%d]"};
inline constexpr yat::LogText<> kDoingPowersupplyStuff{"doing powersupply stuff"};
inline constexpr yat::LogText<int> kTheTotalNumberOfPowerSupplies2{"The total number of power supplies is [%d]"};
inline constexpr yat::LogText<> kTheNumberOfPowerSuppliesIs{"the number of power supplies is > 0"};
inline constexpr yat::LogText<> kTheNumberOfPowerSuppliesIs2{"the number of power supplies is <= 0"};
inline constexpr yat::LogText<> kLookingAtTemperatures{"looking at temperatures"};
inline constexpr yat::LogText<int, int> kFirstLast{"first [%d] last [%d]"};
inline constexpr yat::LogText<int> kTheTempReadingFailedFor{"The temp reading failed for [%d]"};
inline constexpr yat::LogText<int, int, unsigned, unsigned, int, int> kTheTempReadingSucceededForAnd{
    "The temp reading succeeded for [%d] and is [%d], buffer +3 [%x] buffer +4 [%x] upperlim [%d] and lowerlim [%d]"};
inline constexpr yat::LogText<> kFoundCPUTemperature{"Found CPU temperature"};
inline constexpr yat::LogText<> kGettingTheDASDVPDInformation{"Getting the DASD VPD Information"};
inline constexpr yat::LogText<int, const char*> kTheCommandSucceededForAndHas2{
    "The command succeeded for [%d] and has a FRU number of [%s]"};
inline constexpr yat::LogText<> kNotGettingTheDASDVPDInformation{"Not getting the DASD VPD information"};
inline constexpr yat::LogText<> kRealCPUTemperaturesNotFound{"Real CPU temperatures not found"};
inline constexpr yat::LogText<> kLookingAtVoltages{"looking at voltages"};
inline constexpr yat::LogText<int, int, unsigned, unsigned, int> kVoltagesFirstLastBuffer3Buffer{
    "Voltages first [%d] last [%d] buffer +3 [%x] buffer +4 [%x] motherboard [%d]"};
inline constexpr yat::LogText<int, double, unsigned, unsigned, double, double> kTheVoltageReadingSucceededForAnd{
    "The voltage reading succeeded for [%d] and is [%f], buffer +3 [%x] buffer +4 [%x] upperlim [%f.2] lowerlim [%f.2]"};
inline constexpr yat::LogText<int, int> kTheVoltageBufferJWasAnd{
    "The voltage buffer j was [%d] and produced type of [%d]"};
inline constexpr yat::LogText<int> kTheVoltStatusFailedFor{"The volt status failed for [%d]"};
inline constexpr yat::LogText<> kDeviceEqualsNULL{"device equals NULL"};
inline constexpr yat::LogText<int> kFanReadingFailedForSensor{"fan reading failed for sensor [%d]"};
inline constexpr yat::LogText<int, int> kFanReadingSucceededForSensorWith{
    "fan reading succeeded for sensor [%d] with reading of [%d]"};
inline constexpr yat::LogText<int, int, int, int, int> kFanReadingSucceededForSensorWith2{
    "fan reading succeeded for sensor [%d] with reading of [%d] lowerlim [%d] upperlim [%d] and status of [%d]"};
inline constexpr yat::LogText<int, int> kGettingDefaultReadingForNodeAnd{
    "Getting Default reading for node [%d] and sensor [%d]"};
inline constexpr yat::LogText<> kAddingGenericSensorToMap{"adding generic sensor to map"};
inline constexpr yat::LogText<const char*> kTheInstanceWasNotFoundAnd{
    "The instance [%s] was not found and was inserted"};
inline constexpr yat::LogText<const char*> kTheInstanceWasFoundAndIs{
    "The instance [%s] was found and is being updated"};
inline constexpr yat::LogText<int, int> kThePowerSupplyCheckReturnedRetVal{
    "the power supply check returned retVal [%d] and status [%d]"};
inline constexpr yat::LogText<unsigned, unsigned, int> kThePwrBuffer32InstanceNum{
    "the pwrBuffer 3 [%x] 2 [%x] instanceNum [%d]"};
inline constexpr yat::LogText<int, int, int> kInstTypeLocationInstanceNum{
    "instType [%d] location [%d] instanceNum [%d]"};
inline constexpr yat::LogText<int, int, int> kVoltageAndTempInstTypeLocationInstanceNum{
    "voltage and temp instType [%d] location [%d] instanceNum [%d]"};
inline constexpr yat::LogText<int, int, int> kFanInstTypeLocationInstanceNum{
    "fan instType [%d] location [%d] instanceNum [%d]"};
inline constexpr yat::LogText<int, int> kErrorPathInstTypeCommandStatus{"error path-instType %d, command status [%d]"};
inline constexpr yat::LogText<> kErrorPathFANDEVICEUNAVAILABLE{"error path-FAN DEVICE_UNAVAILABLE"};
inline constexpr yat::LogText<double> kAfterTheVoltageDataIs{"after-The voltage data is [%.2f]"};
inline constexpr yat::LogText<> kInInitSensors{"in initSensors"};
inline constexpr yat::LogText<> kAboutToGoIntoForLoop{"about to go into for loop"};
inline constexpr yat::LogText<> kGettingSupportedcommands{"getting supportedcommands"};
inline constexpr yat::LogText<> kGettingTheBufferForSupportedcommands{"getting the buffer for supportedcommands"};
inline constexpr yat::LogText<> kGotTheBufferForSupportedcommands{"got the buffer for supportedcommands"};
inline constexpr yat::LogText<> kAboutToReturn{"about to return"};
inline constexpr yat::LogText<int, int> kNodeSkipped{
    "node [%d] gave no supported commands (result [%d]): its sensors are skipped"};
inline constexpr yat::LogText<int, int, int, int> kNodeInstanceClassLocationAndOffset{
    "node [%d] instanceClass [%d] location [%d] and offset [%d]"};
inline constexpr yat::LogText<int, int, int, int, int> kCommandFailedNodeInstanceClassLocationAnd{
    "command failed node [%d] instanceClass [%d] location [%d] and offset [%d] returnVal [%d]"};
inline constexpr yat::LogText<int, int, int, int, int> kGetcommanddataNodeInstanceClassLocationAndOffset{
    "getcommanddata node [%d] instanceClass [%d] location [%d] and offset [%d] returnVal [%d]"};
inline constexpr yat::LogText<int, int> kClassHasPostnumelemnts{"class [%d] has postnumelemnts [%d]"};
inline constexpr yat::LogText<int> kAttemptingToGetSensor{"attempting to get sensor [%d]"};
inline constexpr yat::LogText<int, int> kCouldNotFindTheElementFor{
    "could not find the element for node [%d] sensor [%d]"};
inline constexpr yat::LogText<> kNotAValidElement{"not a valid element"};
inline constexpr yat::LogText<int, int, int, int, int> kFoundTheElementForSensorSClass{
    "found the element for sensor [%d] sClass [%d] reading [%d] upperlim [%d] lowerlim [%d]"};
inline constexpr yat::LogText<> kAboutToProcessForVoltage{"about to process for voltage"};
inline constexpr yat::LogText<> kAboutToProcessForPS{"about to process for PS"};
inline constexpr yat::LogText<int, int> kFoundThePowerElementForSensor{
    "found the power element for sensor [%d] and has status of [%d]"};
inline constexpr yat::LogText<> kAboutToProcessForTempFan{"about to process for temp/fan"};
inline constexpr yat::LogText<> kAboutToReturnFromMethod{"about to return from method"};
inline constexpr yat::LogText<> kGettingNumberOfSensorsers{"getting number of sensorsers"};
inline constexpr yat::LogText<> kGettingNumberTEMPOfSensors{"getting number TEMP of sensors"};
inline constexpr yat::LogText<int> kTheNumberOfTempsAre{"the number of temps are [%d]"};
inline constexpr yat::LogText<> kTEMPIsNULL{"TEMP is NULL"};
inline constexpr yat::LogText<> kGettingNumberVOLTAGEOfSensors{"getting number VOLTAGE of sensors"};
inline constexpr yat::LogText<int> kTheNumberOfVoltageAre{"the number of voltage are [%d]"};
inline constexpr yat::LogText<> kVOLTAGEIsNULL{"VOLTAGE is NULL"};
inline constexpr yat::LogText<> kGettingNumberFANOfSensors{"getting number FAN of sensors"};
inline constexpr yat::LogText<int> kTheNumberOfFansAre{"the number of fans are [%d]"};
inline constexpr yat::LogText<> kFANIsNULL{"FAN is NULL"};
inline constexpr yat::LogText<> kGettingNumberPSOfSensors{"getting number PS of sensors"};
inline constexpr yat::LogText<int> kTheNumberOfPowrsAre{"the number of powrs are [%d]"};
inline constexpr yat::LogText<> kPOWERIsNULL{"POWER is NULL"};
inline constexpr yat::LogText<int, int, int> kGotTheTempReadingForNode{
    "got the temp reading for node [%d] sensor [%d] and it is [%d]"};
inline constexpr yat::LogText<int, int, int> kGotTheFanReadingForNode{
    "got the fan reading for node [%d] sensor [%d] and it is [%d]"};
inline constexpr yat::LogText<int, int> kCouldNotGetTheTempReading{
    "could not get the temp reading for node [%d] sensor [%d]"};
inline constexpr yat::LogText<int, int> kCouldNotGetTheFanReading{
    "could not get the fan reading for node [%d] sensor [%d]"};
inline constexpr yat::LogText<int, int, double> kGotTheVoltageReadingForNode2{
    "got the voltage reading for node [%d] sensor [%d] and it is [%f]"};
inline constexpr yat::LogText<int, int> kCouldNotGetTheVoltageReading{
    "could not get the voltage reading for node [%d] sensor [%d]"};
inline constexpr yat::LogText<> kGettingSensorStatus{"getting sensor status"};
inline constexpr yat::LogText<> kAboutToReturnFromGetSensorStatus{"about to return from getSensorStatus"};
inline constexpr yat::LogText<int, int, int, int> kGotTheReadingAndLimitsFor{
    "got the reading and limits for sensor [%d] reading [%d] upperlim [%d] lowerlim [%d]"};
inline constexpr yat::LogText<int, int, int, int, int, int> kGotTheReadingAndLimitsFor2{
    "got the reading and limits for sensor [%d] reading [%d] upperlim [%d] lowerlim [%d] status [%d] retVal [%d]"};
inline constexpr yat::LogText<const char*> kText{"%s"};
inline constexpr yat::LogText<int, int, int, int> kGotVoltLowerlimitsForSensorLowerlim{
    "got volt lowerlimits for sensor [%d]  lowerlim [%d] retVal=%d i=%d"};
inline constexpr yat::LogText<int, double, int, int> kFailedToGetVoltLimitsFor{
    "failed to get volt limits for sensor [%d] lowerlim [%.f2] retVal=%d i=%d"};
inline constexpr yat::LogText<int, double, int, int> kGotVoltUpperLimits1For{
    "got volt upper limits - 1 for sensor [%d] upperlim [%.f2] retVal=%d i=%d"};
inline constexpr yat::LogText<int, int, int, int> kFailedToGetVoltLimitsFor2{
    "failed to get volt limits for sensor [%d] upperlim [%d] retVal=%d i=%d"};

// Progress lines (yatProgress: standard output, the log or nothing, as YAT_STDOUT says).
inline constexpr yat::LogText<int> kProgressFanReadingFailed{"fan reading failed for sensor [%d]\n"};

}  // namespace sensors_texts
