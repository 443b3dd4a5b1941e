#pragma once
// The log texts of leds/: the system's own words, written to libyat.log exactly as they stand.
// Support staff search the log for them, so the odd spellings, spacing and formats are kept on
// purpose: do not correct them. Each constant names the types of its arguments; the compiler checks
// the format against them and every call against the constant (platform/log_text.h).

#include "platform/log_text.h"

namespace leds_texts {

// Log tags of the functions that log.
inline constexpr const char* kTagCLibYATInitGlint = "cLibYAT::initGlint";
inline constexpr const char* kTagCLibYATGetGlintStatus = "cLibYAT::getGlintStatus";
inline constexpr const char* kTagCLibYATGetBluelightStatus = "cLibYAT::getBluelightStatus";
inline constexpr const char* kTagSetPassthruLEDStatus = "setPassthruLEDStatus";
inline constexpr const char* kTagCI2CPassThruSetGlintStatus = "cI2CPassThru::setGlintStatus";
inline constexpr const char* kTagCNodePassThruSetGlintStatus = "cNodePassThru::setGlintStatus";

inline constexpr yat::LogText<unsigned, int> kTheDotCommandOfCommandIs{
    "the dot command of command [%u] is longer than [%d] characters; command skipped"};
inline constexpr yat::LogText<unsigned> kCommandHasNoDotCommandCommand{
    "command [%u] has no dot command; command skipped"};
inline constexpr yat::LogText<unsigned> kCommandHasNoGroupCountCommand{
    "command [%u] has no group count; command skipped"};
inline constexpr yat::LogText<unsigned, unsigned, unsigned> kCommandClaimsGroupsMoreThanThe{
    "command [%u] claims [%u] groups, more than [%u]; the registry file is wrong, command skipped"};
inline constexpr yat::LogText<int> kTheLEDListHoldsRecordsThe{
    "the LED list holds [%d] records, the most it keeps; further LEDs left out"};
inline constexpr yat::LogText<int> kThePathOfTheLEDPanel{
    "the path of the LED panel registry file does not fit [%d] characters"};
inline constexpr yat::LogText<const char*, const char*> kTheLEDPanelRegistryFile{"the LED panel registry file [%s] %s"};
inline constexpr yat::LogText<> kTheLEDPanelBaseKeyIs{"the LED panel base key is missing"};
inline constexpr yat::LogText<> kTheLEDPanelHasNoNumber{"the LED panel has no number of commands"};
inline constexpr yat::LogText<unsigned, unsigned> kTheLEDPanelClaimsCommandsMore{
    "the LED panel claims [%u] commands, more than [%u]; the registry file is wrong"};
inline constexpr yat::LogText<unsigned, int> kNodeRegistryValuesOfTheWrong{
    "node [%u]: [%d] registry values of the wrong kind were taken as missing"};
inline constexpr yat::LogText<> kNoCommDevice{"no comm device"};
inline constexpr yat::LogText<int> kTheLEDPanelRegistryIsNot{"the LED panel registry is not available (result [%d])"};
inline constexpr yat::LogText<int> kBuiltLEDRecords{"built [%d] LED records"};
inline constexpr yat::LogText<> kTheHostSLEDListIs{"the host's LED list is null; nothing read"};
inline constexpr yat::LogText<unsigned> kTheFirstLEDHasBusType{
    "the first LED has bus type [%u], which no passthru class reads"};
inline constexpr yat::LogText<int, unsigned, int> kReadLEDsWithBusTypeResult{
    "read [%d] LEDs with bus type [%u]: result [%d]"};
inline constexpr yat::LogText<> kTheLEDListIsEmpty{"the LED list is empty"};
inline constexpr yat::LogText<> kInTheMethod{"in the method"};
inline constexpr yat::LogText<> kDeviceIsNotNULL{"device is not NULL"};
inline constexpr yat::LogText<> kStateIsNULL{"state is NULL"};
inline constexpr yat::LogText<> kStateNotNULL{"state not NULL"};
inline constexpr yat::LogText<> kCommandSucceededAndGettingState{"command succeeded and getting state"};
inline constexpr yat::LogText<unsigned, unsigned> kTheDataIsMaskIs{"The data is [%x], mask is [%x]"};
inline constexpr yat::LogText<> kTheLEDIsOff{"The LED is off"};
inline constexpr yat::LogText<> kTheLEDIsOn{"The LED is on"};
inline constexpr yat::LogText<int, unsigned, int> kSendToNodeFailedWithThe{
    "send to node [%d] failed with [%u]; the other sensors of LED [%d] are not read"};
inline constexpr yat::LogText<int, int> kTheAnswerForSensorOfLED{
    "the answer for sensor [%d] of LED [%d] holds no data byte; sensor counted as off"};
inline constexpr yat::LogText<int, unsigned> kSendToNodeFailedWithLEDs{
    "send to node [%d] failed with [%u]; LEDs not yet read keep their state"};
inline constexpr yat::LogText<int, int, int> kNodeRefusedTheLEDReadStatus{
    "node [%d] refused the LED read (status [%d]); LED [%d] keeps its state"};
inline constexpr yat::LogText<unsigned, int, unsigned> kRegaddrOfLEDLiesBeyondThe{
    "regaddr [%u] of LED [%d] lies beyond the [%u] answer data bytes; sensor counted as off"};

// Progress lines (yatProgress: standard output, the log or nothing, as YAT_STDOUT says).
inline constexpr yat::LogText<> kProgressGetGlintInfoInRoutine{"getGlintInfo -- in routine\n"};
inline constexpr yat::LogText<unsigned, unsigned, const char*> kProgressBuildingPassthruData{
    "getGlintInfo -- Building passthru data with [%x,%x] and LEDCommand [%s]\n"};
inline constexpr yat::LogText<> kProgressSetGlintStatusInTheRoutine{"cIPMIPassThru::setGlintStatus - in the routine\n"};
inline constexpr yat::LogText<int, int> kProgressCurrNode{
    "cIPMIPassThru::setGlintStatus - currNode [%d] (*ledIterator).getNodeNumber() [%d]\n"};
inline constexpr yat::LogText<int> kProgressAboutToCallSendcommand{
    "cIPMIPassThru::setGlintStatus - about to call sendcommand with node number [%d]\n"};
inline constexpr yat::LogText<int> kProgressOverallSendcommandFailed{
    "cIPMIPassThru::setGlintStatus - overall sendcommand failed currentStatus [%d]\n"};
inline constexpr yat::LogText<> kProgressCommandSucceeded{"cIPMIPassThru::setGlintStatus - command succeeded\n"};
inline constexpr yat::LogText<int> kProgressSendcommandFailed{
    "cIPMIPassThru::setGlintStatus - sendcommand failed currentStatus [%d]\n"};
inline constexpr yat::LogText<int, int> kProgressSendcommandSucceeded{
    "cIPMIPassThru::setGlintStatus - sendcommand succeeded currentStatus [%d], IPMI status [%d]\n"};

}  // namespace leds_texts
