#pragma once
// The log texts of commands/: the system's own words, written to libyat.log exactly as they stand.
// Support staff search the log for them, so the odd spellings, spacing and formats are kept on
// purpose: do not correct them. Each constant names the types of its arguments; the compiler checks
// the format against them and every call against the constant (platform/log_text.h).

#include "platform/log_text.h"

namespace commands_texts {

// Log tags of the functions that log.
inline constexpr const char* kTagCSPCmdBuildSPCommand = "cSPCmd::buildSPCommand";
inline constexpr const char* kTagCSPCmdBuildCommandBuffer = "cSPCmd::BuildCommandBuffer";

inline constexpr yat::LogText<int, int, const char*> kTheSpcmdParamsizeDatasizeAndCommand{
    "The spcmd paramsize [%d] datasize [%d] and command [%s]"};
inline constexpr yat::LogText<const char*, int> kCommandHasMoreThanTokensRefused{
    "command [%s] has more than %d tokens; refused"};
inline constexpr yat::LogText<int> kReachedTheLastCharacterInThe{
    "Reached the last character in the string and it is [%c]"};
inline constexpr yat::LogText<unsigned, int> kSettingCmdElementToCounter{"setting cmd element to [%u] counter [%d]"};
inline constexpr yat::LogText<int, int, int> kIncreasingCounterValueTo{"%d increasing counter value [%d] to [%d]"};
inline constexpr yat::LogText<const char*> kCommandHasAMalformedTokenRefused{
    "command [%s] has a malformed token; refused"};
inline constexpr yat::LogText<int, int> kRequestOfCommandBytesAndData{
    "request of %d command bytes and %d data bytes does not fit the buffer; refused"};
inline constexpr yat::LogText<> kThereIsDataSoCopyingIt{"There is data so copying it"};
inline constexpr yat::LogText<int> kBytesWithheld{"<%d bytes withheld>"};
inline constexpr yat::LogText<> kThereIsNoDataSoNothing{"There is no data so nothing to do"};
inline constexpr yat::LogText<unsigned> kBytesWithheld2{"<%u bytes withheld>"};

}  // namespace commands_texts
