#pragma once
// The log tags and texts of events/: the system's own words, written to libyat.log exactly as they stand.
// Support staff search the log for them, so the odd spellings, spacing and formats are kept on
// purpose: do not correct them. Each constant names the types of its arguments; the compiler checks
// the format against them and every call against the constant (platform/log_text.h).

#include "platform/log_text.h"

namespace events_texts {

// Tags of entries whose call names no tag of its own.
inline constexpr const char* kTagCEventConfigGetDescMaxSize = "cEventConfig::getDescMaxSize";
inline constexpr const char* kTagCLibYATCheckSystemHealth = "cLibYAT::checkSystemHealth";
inline constexpr const char* kTagCSPGetAvailEventCodesCheckForEC = "cSPGetAvailEventCodes::CheckForEC";
inline constexpr const char* kTagCSPSPAsyncEventsHalyardComprehensiveEvent =
    "cSP::SPAsyncEvents::Halyard Comprehensive event";
inline constexpr const char* kTagCSPSPAsnycEvents = "cSP::SPAsnycEvents";
inline constexpr const char* kTagCSPUpdateSensorReadings = "cSP::updateSensorReadings";
inline constexpr const char* kTagCSPSPAsyncEvents = "cSP::SPAsyncEvents";
inline constexpr const char* kTagCLibYATDeRegisterForAsynchEvents = "cLibYAT::deRegisterForAsynchEvents";
inline constexpr const char* kTagCLibYATGetMonitorPFAEventSupport = "cLibYAT::getMonitorPFAEventSupport";
inline constexpr const char* kTagCLibYATAddPFAStackElement = "cLibYAT::addPFAStackElement";
inline constexpr const char* kTagCSPMonitorCmdGetCommandData = "cSPMonitorCmd::getCommandData";
inline constexpr const char* kTagCSystemHealthGetActiveEvents = "cSystemHealth::getActiveEvents";

// Log tags of the functions that log.
inline constexpr const char* kTagCEventConfigGetType = "cEventConfig::getType";
inline constexpr const char* kTagCEventConfigGetDescription = "cEventConfig::getDescription";
inline constexpr const char* kTagCEventConfigGetEnabled = "cEventConfig::getEnabled";
inline constexpr const char* kTagCEventConfigSetEnabled = "cEventConfig::setEnabled";
inline constexpr const char* kTagCLibYATInitEvents = "cLibYAT::initEvents";
inline constexpr const char* kTagCLibYATGetEventConfiguration = "cLibYAT::getEventConfiguration";
inline constexpr const char* kTagCSPCompareElements = "cSP::CompareElements";
inline constexpr const char* kTagCLibYATGetFirstLogEntry = "cLibYAT::getFirstLogEntry";
inline constexpr const char* kTagCLibYATEraseLog = "cLibYAT::eraseLog()";
inline constexpr const char* kTagMonitorAsnycEvents = "MonitorAsnycEvents";
inline constexpr const char* kTagCLibYATRegisterForAsynchEvents = "cLibYAT::registerForAsynchEvents";
inline constexpr const char* kTagCLibYATMonitorPFAEvents = "cLibYAT::monitorPFAEvents";
inline constexpr const char* kTagCLibYATGetPFAStackElement = "cLibYAT::getPFAStackElement";
inline constexpr const char* kTagUpdateNonAsynchReadings = "updateNonAsynchReadings";
inline constexpr const char* kTagMonitorasynchstuff = "monitorasynchstuff";
inline constexpr const char* kTagCSystemHealthGetEvents = "cSystemHealth::getEvents";

inline constexpr yat::LogText<> kInvalidIndex{"invalid index"};
inline constexpr yat::LogText<> kInvalidParameter{"invalid parameter"};
inline constexpr yat::LogText<int, int, int> kReadingTheEnableStateOfType{
    "reading the enable state of type [%d] on node [%d] failed with [%d]"};
inline constexpr yat::LogText<int, int, int, int> kSettingTypeOnNodeToReturned{
    "setting type [%d] on node [%d] to [%d] returned [%d]"};
inline constexpr yat::LogText<> kInInitEvents{"in initEvents"};
inline constexpr yat::LogText<> kDeviceNotOpen{"device not open"};
inline constexpr yat::LogText<> kAlreadyInitialized{"already initialized"};
inline constexpr yat::LogText<unsigned, unsigned> kReadingTheSupportedCommandsOfNode{
    "reading the supported commands of node [%u] failed with [%u]"};
inline constexpr yat::LogText<unsigned> kTheSupportedCommandsAnswerOfNode{
    "the supported commands answer of node [%u] is malformed"};
inline constexpr yat::LogText<unsigned, int> kNodeSupportsAlertsAndEvents{"node [%u] supports [%d] alerts and events"};
inline constexpr yat::LogText<> kInvalidNode{"invalid node"};
inline constexpr yat::LogText<> kInvalidEventInstance{"invalid event instance"};
inline constexpr yat::LogText<const char*> kComparingSecondElement{"comparing second element [%s]"};
inline constexpr yat::LogText<int, int, int> kIFirstElementSecondElement{"i=%d, firstElement=%d, secondElement[%d]"};
inline constexpr yat::LogText<unsigned, unsigned, unsigned, unsigned, unsigned, unsigned>
    kComparingCodeDataNextCodeWithECCCodeToCheck{
        "Comparing codeData [%x%x%x%x] nextCode [%x] with ECCCodeToCheck [%x]"};
inline constexpr yat::LogText<int> kComprehensiveEventWithDataBytesIs{
    "comprehensive event with [%d] data bytes is too short to decode; ignored"};
inline constexpr yat::LogText<int, int, int, int, int, int, int, int> kVersionConditionTimeStampSequenceError{
    "\nversion [%d]\n condition [%d]\n time_stamp [%d]\n sequence [%d]\n error_code [%d]\n chassis [%d]\n "
    "memcard [%d]\n dimm [%d] "};
inline constexpr yat::LogText<int> kThePFAStackIsFullEvents{
    "the PFA stack is full (%d events the host has not taken); this event is dropped"};
inline constexpr yat::LogText<> kThereAreSomeFanInstances{"there are some fan instances"};
inline constexpr yat::LogText<int, int, int, int, int, int> kGotAFanSensorElementAnd{
    "Got a fan sensor element and reading is [%d] limits are [%d] and lower [%d] valid sensor [%d] "
    "readnode [%d] threadnode [%d]"};
inline constexpr yat::LogText<int, int, unsigned, unsigned, unsigned> kAboutToProcessADASDEvent{
    "about to process a DASD event with backplane [%d] and drivenumber [%d] buffer 2 [%x] buffer [9] [%x] "
    "buffer 10 [%x]"};
inline constexpr yat::LogText<> kGotAPowerSupplyEventFrom{"got a power supply event from the SP"};
inline constexpr yat::LogText<> kPowerInstanceIsNotNull{"power instance is not null"};
inline constexpr yat::LogText<int, int, int, int, int, int> kCheckingPowerSupplyElementAgainstError{
    "checking power supply element [%d] against error number [%d] validSensor [%d] normalsSupported [%d] "
    "node [%d] readNode [%d]"};
inline constexpr yat::LogText<int> kInstanceNumberIsListedAsCritical{"instance Number [%d] is listed as critical"};
inline constexpr yat::LogText<int> kNoNormalInstanceNumberIsListed{
    "no normal instance Number [%d] is listed as critical"};
inline constexpr yat::LogText<> kAboutToCompareEvents{"about to compare events"};
inline constexpr yat::LogText<> kCouldNotCompareEvents{"could not compare events"};
inline constexpr yat::LogText<int, int, int, int, int, unsigned, unsigned, unsigned, unsigned, unsigned, unsigned>
    kBuffer0Buffer1Buffer2{
        "buffer 0 [%d] buffer 1 [%d] buffer 2 [%d] buffer 3 [%d] buffer 4 [%d], [%x.%x.%x.%x.%x.%x]"};
inline constexpr yat::LogText<int> kGettingTheFirstLogEntryFor{"getting the first log entry for node [%d]"};
inline constexpr yat::LogText<> kTheDeviceIsNotNull{"the device is not null"};
inline constexpr yat::LogText<> kTheEntryIsNull{"the entry is null"};
inline constexpr yat::LogText<> kTheEntryIsNotNull{"the entry is not null"};
inline constexpr yat::LogText<> kSendingLogEntryFailed{"sending log entry failed"};
inline constexpr yat::LogText<> kSucceededInGettingFirstLogEntry{"succeeded in getting first log entry"};
inline constexpr yat::LogText<int> kGetcommanddataReturned{"getcommanddata returned [%d]"};
inline constexpr yat::LogText<> kEntering{"Entering..."};
inline constexpr yat::LogText<> kDeviceIsNull{"device is null."};
inline constexpr yat::LogText<int> kSendCommandFailedReturnCode{"sendCommand() failed. Return code: [%d]"};
inline constexpr yat::LogText<int> kTheSPRefusedTheEraseWith{"the SP refused the erase with status [%d]"};
inline constexpr yat::LogText<> kInTheRoutine{"in the routine"};
inline constexpr yat::LogText<int> kInTheMethodForNode{"in the method for node [%d]"};
inline constexpr yat::LogText<> kCouldNotGetTheFirmwareInfo{"could not get the firmware info"};
inline constexpr yat::LogText<> kGotTheFirmwareInfo{"got the firmware info"};
inline constexpr yat::LogText<const char*> kText{"%s"};
inline constexpr yat::LogText<int, int> kEnablingEventFailed{"enabling event [%d] failed: [%d]"};
inline constexpr yat::LogText<> kAboutToRegisterForEvents{"about to register for events"};
inline constexpr yat::LogText<int> kTheWaitOnNodeEndedWith{
    "the wait on node [%d] ended with a stop left from an earlier registration; waiting again"};
inline constexpr yat::LogText<int> kPowerDownEventForNodeThe{"power down event for node [%d]; the event thread ends"};
inline constexpr yat::LogText<int, int> kWaitingForEventsOnNodeFailed{
    "waiting for events on node [%d] failed with [%d]"};
inline constexpr yat::LogText<> kRegisterCalled{"register called"};
inline constexpr yat::LogText<> kTheLibraryIsClosingMonitoringIs{"the library is closing; monitoring is not started"};
inline constexpr yat::LogText<> kThreadsOfThePreviousRegistrationAre{
    "threads of the previous registration are still running; starting anyway"};
inline constexpr yat::LogText<> kFailureInTheThreadRoutines{"failure in the thread routines"};
inline constexpr yat::LogText<int> kSuccessInTheThreadRoutinesWith{"success in the thread routines with node [%d]"};
inline constexpr yat::LogText<> kCalled{"called"};
inline constexpr yat::LogText<> kThreadsStoppedByAnotherDeregistrationAre{
    "threads stopped by another deregistration are still running"};
inline constexpr yat::LogText<const char*> kThePollingThreadIsLeftBehind{
    "the polling thread is left behind: it did not end within the limit (it is %s)"};
inline constexpr yat::LogText<int, const char*> kTheEventThreadOfNodeIs{
    "the event thread of node [%d] is left behind: it did not end within the limit (it is %s)"};
inline constexpr yat::LogText<> kAboutToCheckRoutine{"about to check routine"};
inline constexpr yat::LogText<> kFoundItemInFirstGroup{"found item in first group"};
inline constexpr yat::LogText<> kNextListGroup{"next list group"};
inline constexpr yat::LogText<int> kStoppedAfterGroupsOfAvailableEvent{
    "stopped after [%d] groups of available event codes"};
inline constexpr yat::LogText<int, int> kTheReturnCodesForCommandAre{
    "The return codes for command are retVal [%d] commandStatus [%d]"};
inline constexpr yat::LogText<> kInRoutine{"in routine"};
inline constexpr yat::LogText<int> kInRoutineWithMemorysupported{"in routine with memorysupported [%d]"};
inline constexpr yat::LogText<> kGetPFAStackElementFailed{"getPFAStackElement failed"};
inline constexpr yat::LogText<> kGetPFAStackElementSucceeded{"getPFAStackElement succeeded"};
inline constexpr yat::LogText<int> kInRoutineWithStackPos{"in routine with stackPos [%d]"};
inline constexpr yat::LogText<> kReturningFromGetPFAStackElement{"Returning from getPFAStackElement"};
inline constexpr yat::LogText<int, int, int> kFanNodeInstanceReadsAgainAnd{
    "fan node [%d] instance [%d] reads [%d] again and is monitored from now on"};
inline constexpr yat::LogText<int> kCouldNotReadTheActiveEvents{
    "could not read the active events of node [%d]; CPU indicators keep their state"};
inline constexpr yat::LogText<unsigned> kLookingForEventCode0x{"looking for event code 0x%08x"};
inline constexpr yat::LogText<> kEventNotFound{"event not found"};
inline constexpr yat::LogText<> kSettingCPUTempStatusPROCNORMAL{"Setting CPU temp status = PROC_NORMAL"};
inline constexpr yat::LogText<> kEventFound{"event found"};
inline constexpr yat::LogText<> kSettingCPUTempStatusPROCHOT{"Setting CPU temp status = PROC_HOT"};
inline constexpr yat::LogText<> kProcessingCPUEvent{"processing CPU event"};
inline constexpr yat::LogText<int, int, int, int, int, int, int, int>
    kSensorTypeReadNodeLocationInstanceNumCurrentStatus{
        "sensor: type = %d, readNode = %d, location = %d, instanceNum = %d, currentStatus = %d, validSensor = "
        "%d, ilowerlim = %d, iupperlim = %d"};
inline constexpr yat::LogText<double, double, double, int> kTheVoltageDataIs2Upperlimit{
    "The voltage data is [%f.2], upperlimit [%f.2] lowerlim [%f.2] for sensor [%d]"};
inline constexpr yat::LogText<> kSensorNotValidAndNormalsSupported{"sensor not valid and normals supported"};
inline constexpr yat::LogText<unsigned> kPwrBuffer{"pwrBuffer [%x]"};
inline constexpr yat::LogText<int, int, int> kCheckingToUpdateElementOrigNode{
    "checking to update element orig node [%d] temp node [%d] validsensor [%d]"};
inline constexpr yat::LogText<> kEnteringTheRoutine{"entering the routine"};
inline constexpr yat::LogText<int> kReturningRetVal{"returning retVal = %d"};
inline constexpr yat::LogText<int> kStatus{"status = %d"};
inline constexpr yat::LogText<int> kTheSPStillListsCodesAfter{"the SP still lists codes after %d groups; giving up"};
inline constexpr yat::LogText<int> kDataLen{"dataLen = %d"};
inline constexpr yat::LogText<int, int, unsigned, unsigned, unsigned, unsigned, unsigned> kGotCodeData0xCode0x{
    "got code, data[%d..%d] = 0x%02x%02x%02x%02x, code = 0x%08x"};
inline constexpr yat::LogText<int> kIgnoringBytesAfterTheLastWhole{"ignoring %d bytes after the last whole code"};
inline constexpr yat::LogText<> kDoneWithEventCodes{"done with event codes"};
inline constexpr yat::LogText<> kCallingGetEvents{"calling getEvents"};

}  // namespace events_texts
