#pragma once
// The log tags and texts of sysinfo/: the system's own words, written to libyat.log exactly as they stand.
// Support staff search the log for them, so the odd spellings, spacing and formats are kept on
// purpose: do not correct them. Each constant names the types of its arguments; the compiler checks
// the format against them and every call against the constant (platform/log_text.h).

#include "platform/log_text.h"

namespace sysinfo_texts {

// Tags of entries whose call names no tag of its own.
inline constexpr const char* kTagCSPGetVPDDataCheckForOnyx = "cSPGetVPDData::checkForOnyx";
inline constexpr const char* kTagClibyatGetPostBiosVPD = "clibyat.getPostBiosVPD";
inline constexpr const char* kTagClibyatInitVectoredSystemSummary = "clibyat.initVectoredSystemSummary()";
inline constexpr const char* kTagClibyatGetSystemState = "clibyat.getSystemState()";
inline constexpr const char* kTagClibyatGetWatchogTimers = "clibyat.getWatchogTimers()";
inline constexpr const char* kTagCSPVPDCmdBuildCommand = "cSPVPDCmd::buildCommand";
inline constexpr const char* kTagVectoredSystemSummary = "VectoredSystemSummary()";
inline constexpr const char* kTagVectoredSystemSummaryInit = "VectoredSystemSummary.init";

// Log tags of the functions that log.
inline constexpr const char* kTagCFirmwareGetSPData = "cFirmware::getSPData";
inline constexpr const char* kTagCFirmwareGetIPMIData = "cFirmware::getIPMIData";
inline constexpr const char* kTagClibyatGetMachineVPD = "clibyat.getMachineVPD";
inline constexpr const char* kTagClibyatInitVectoredSystemSummary2 = "clibyat.initVectoredSystemSummary";
inline constexpr const char* kTagClibyatGetSPType = "clibyat.getSPType";
inline constexpr const char* kTagClibyatGetSystemState2 = "clibyat.getSystemState";
inline constexpr const char* kTagClibyatGetWatchogTimers2 = "clibyat.getWatchogTimers";
inline constexpr const char* kTagCLibYATGetFirmwareData = "cLibYAT::getFirmwareData";
inline constexpr const char* kTagCSPVPDCmdGetCommandData = "cSPVPDCmd.getCommandData()";
inline constexpr const char* kTagCLibYATGetVPDData = "cLibYAT::getVPDData";
inline constexpr const char* kTagCSPVSSGetCommandData = "cSPVSS.getCommandData()";

inline constexpr yat::LogText<> kTheCommandItselfFailed{"the command itself failed"};
inline constexpr yat::LogText<> kTheCommandBufferWasGood{"the command buffer was good"};
inline constexpr yat::LogText<> kTheCommandSucceeded{"the command succeeded"};
inline constexpr yat::LogText<int> kTheAnswerHoldsOnlyBytesToo{
    "the answer holds only [%d] bytes, too few for the firmware item"};
inline constexpr yat::LogText<> kAtTheEndOfCommandSucceeded{"at the end of command succeeded"};
inline constexpr yat::LogText<int> kTheRetvalWas{"The retval was [%d]"};
inline constexpr yat::LogText<> kSendCommandFailed{"sendCommand failed!"};
inline constexpr yat::LogText<int> kReadRefusedWithStatus{"read refused with status [%d]"};
inline constexpr yat::LogText<> kEntered{"Entered"};
inline constexpr yat::LogText<int> kReturningWithRetVal{"Returning with retVal=[%d]"};
inline constexpr yat::LogText<unsigned, const char*> kUuidHexUuidString{"uuid hex=[%16x]  uuid string=[%s]"};
inline constexpr yat::LogText<> kDumpingDataBuffer{"dumping data buffer:"};
inline constexpr yat::LogText<> kGettingChassisVPDForATarn{"getting Chassis VPD for a Tarn/Cobalt system"};
inline constexpr yat::LogText<> kGettingChassisVPDForABeryl{"getting Chassis VPD for a Beryl/Garnet system"};
inline constexpr yat::LogText<> kGettingChassisVPDForAnOpal{"getting Chassis VPD for an Opal system"};
inline constexpr yat::LogText<> kSendCommandPassedSoMineTheData{"sendCommand passed...so mine the data"};
inline constexpr yat::LogText<> kDumpingDataBuffer2{"dumping data buffer: 2"};
inline constexpr yat::LogText<> kDumpingDataBuffer3{"dumping data buffer: 3"};
inline constexpr yat::LogText<> kDumpingDataBuffer4{"dumping data buffer: 4"};
inline constexpr yat::LogText<> kDumpingDataBuffer5{"dumping data buffer: "};
inline constexpr yat::LogText<const char*, const char*, const char*, const char*, int>
    kBuildIDSerialNumMtmBuildDateRevision{"buildID=[%s]  serialNum=[%s]  mtm=[%s]  buildDate=[%s]  revision=[%d]"};
inline constexpr yat::LogText<> kAboutToSend12Command{"about to send 1.2 command"};
inline constexpr yat::LogText<int> kSendCommandFailedRetVal{"sendCommand failed:  retVal=[%d]"};
inline constexpr yat::LogText<int, int> kAboutToCreateVSSObjectRetVal{
    "about to create VSS object:  retVal=[%d]  data length=[%d]"};
inline constexpr yat::LogText<int> kVssDotCommandFailedDeletingVss{
    "vss dot command failed...deleting vss object and setting to NULL:  retVal=[%d]"};
inline constexpr yat::LogText<> kAboutToGetSptypeFromVss{"about to get sptype from vss"};
inline constexpr yat::LogText<int> kSpType{"spType=[%d]"};
inline constexpr yat::LogText<int> kReturningRetVal{"returning:  retVal=[%d]"};
inline constexpr yat::LogText<unsigned> kEnteredSystemSummary{"Entered:  systemSummary=[%x]"};
inline constexpr yat::LogText<> kVSSInitFailedSoGettingSp{
    "VSS init failed...so getting sp type through trial and error method"};
inline constexpr yat::LogText<> kTrialAndErrorFoundOpal{"Trial and error, found Opal"};
inline constexpr yat::LogText<> kTrialAndErrorFoundBeryl{"Trial and error, found Beryl"};
inline constexpr yat::LogText<> kTrialAndErrorFoundCobalt{"Trial and error, found Cobalt"};
inline constexpr yat::LogText<> kCouldnTFigureOutSpType{"couldn't figure out sp type through trial and error method"};
inline constexpr yat::LogText<> kDoneWithInitVSSIfStatement{"done with init VSS if statement"};
inline constexpr yat::LogText<> kDoneWithOuterIfStatement{"done with outer if statement"};
inline constexpr yat::LogText<int, int> kREALSPTYPESpTypeRetVal{"REAL SPTYPE:  spType=[%d]    retVal=[%d]"};
inline constexpr yat::LogText<int> kNoCommDeviceOrNoRecord{"no comm device or no record; nothing sent:  retVal=[%d]"};
inline constexpr yat::LogText<int> kGotSysState{"got sysState: [%d]"};
inline constexpr yat::LogText<int> kGotPowerOnHours{"got powerOnHours: [%d]"};
inline constexpr yat::LogText<int> kGotRestartCount{"got restartCount: [%d]"};
inline constexpr yat::LogText<> kJustSentPowerStatusCmdSo{"just sent power status cmd....so let's interpret it"};
inline constexpr yat::LogText<int> kGotPowerStatusOn{"got powerStatusOn: [%d]"};
inline constexpr yat::LogText<int> kGotPostWatchdogTimer{"got post watchdog timer: [%d]"};
inline constexpr yat::LogText<int> kGotLoaderWatchdogTimer{"got loader watchdog timer: [%d]"};
inline constexpr yat::LogText<int> kGotOSWatchdogTimer{"got OS watchdog timer: [%d]"};
inline constexpr yat::LogText<int> kGotPowerOffDelay{"got power off delay: [%d]"};
inline constexpr yat::LogText<> kTheParametersWereWrong{"the parameters were wrong"};
inline constexpr yat::LogText<> kNotConnectedToTheDevice{"not connected to the device"};
inline constexpr yat::LogText<> kConnectedToTheDevice{"connected to the device"};
inline constexpr yat::LogText<> kWasAbleToGetTheFirmware{"was able to get the firmware info"};
inline constexpr yat::LogText<> kEntered2{"entered"};
inline constexpr yat::LogText<> kReadWasSucessfulHereSThe{"read was sucessful...here's the raw data buffer"};
inline constexpr yat::LogText<int> kTheAnswerHoldsOnlyBytes{"the answer holds only [%d] bytes"};
inline constexpr yat::LogText<> kVPDINSTSPCaseEntered{"***** VPD_INST_SP case entered!!!  **********"};
inline constexpr yat::LogText<> kAboutToProcessAVpdCommand{"about to process a vpd command"};
inline constexpr yat::LogText<unsigned> kEnteredRetCodeFromDotCommand{"Entered:  ret code from dot command: [%x] "};
inline constexpr yat::LogText<> kAboutToCreateFirmwareParserToParse{
    "about to create FirmwareParser to parse this buffer:"};
inline constexpr yat::LogText<> kJustFinishedParsingWithFirmwareParser{"just finished parsing with FirmwareParser"};
inline constexpr yat::LogText<const char*> kDeviceDriverRevision{"Device Driver revision: [%s] "};
inline constexpr yat::LogText<int> kNoPlanarCommandForInstanceNothing{
    "no planar command for instance [%d]; nothing sent"};
inline constexpr yat::LogText<int, int> kPlanarBlockRefusedWithStatus{"planar block [%d] refused with status [%d]"};
inline constexpr yat::LogText<const char*> kText{"%s"};
inline constexpr yat::LogText<const char*> kPlanarSerialNumber{"planar serial number=[%s]"};
inline constexpr yat::LogText<const char*> kEepromSerialNumber{"eeprom_serial_number:  [%s]"};
inline constexpr yat::LogText<const char*> kEepromManufacturerId{"eeprom_manufacturer_id:  [%s]"};
inline constexpr yat::LogText<const char*> kEepromPartNumber{"eeprom_part_number:  [%s]"};
inline constexpr yat::LogText<const char*> kEepromFruNumber{"eeprom_fru_number:  [%s]"};
inline constexpr yat::LogText<int, int, int> kDASDReadOfLengthFailedTimes{
    "DASD read of length [%d] failed [%d] times in a row:  retval=[%d]"};
inline constexpr yat::LogText<> kVPDDataIsNULLReturningAsERR{"VPDData is NULL!!! Returning as ERR_INVALID_PARAMETER"};
inline constexpr yat::LogText<> kVPDDataIsNotNullSoSending{"VPDData is not null....so sending command"};
inline constexpr yat::LogText<int, int> kNoVPDCommandForKindInstance{
    "no VPD command for kind [%d] instance [%d]; nothing sent"};
inline constexpr yat::LogText<> kRetvalFromSendCommandWasERRSUCCESS{
    "retval from sendCommand was ERR_SUCCESS....so extracting the command data"};
inline constexpr yat::LogText<int> kRetValFromGetCommandDataIs{"retVal from getCommandData is [%d]"};
inline constexpr yat::LogText<> kVPDObjectIsBadForSome{"VPD object is bad for some reason"};
inline constexpr yat::LogText<int> kReturningRetval{"Returning:  retval=[%d]"};
inline constexpr yat::LogText<int> kVectorAtOffsetRunsPastThe{"vector at offset [%d] runs past the end of the data"};
inline constexpr yat::LogText<> kMiscalculatedOffsetOrUnknownVectorID{"miscalculated offset or unknown vectorID!!!"};
inline constexpr yat::LogText<unsigned, int> kVectorAtOffsetRunsPastThe2{
    "vector [%x] at offset [%d] runs past the end of the data"};
inline constexpr yat::LogText<> kReturning{"returning"};
inline constexpr yat::LogText<unsigned> kRetCodeFromDotCommand{"ret code from dot command: [%x] "};

}  // namespace sysinfo_texts
