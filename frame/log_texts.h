#pragma once
// The log tags and texts of frame/: the system's own words, written to libyat.log exactly as they stand.
// Support staff search the log for them, so the odd spellings, spacing and formats are kept on
// purpose: do not correct them. Each constant names the types of its arguments; the compiler checks
// the format against them and every call against the constant (platform/log_text.h).

#include "platform/log_text.h"

namespace frame_texts {

// Tags of entries whose call names no tag of its own.
inline constexpr const char* kTagOpenlibrary = "openlibrary";
inline constexpr const char* kTagCSPDevOpenLib = "cSPDev::OpenLib";
inline constexpr const char* kTagCSPDevRelease = "cSPDev::Release";
inline constexpr const char* kTagCSPDevRelease2 = "cSPDev::Release()";
inline constexpr const char* kTagCLibYATCLibYAT = "cLibYAT::~cLibYAT";

// Log tags of the functions that log.
inline constexpr const char* kTagCLibYATOpenLib = "cLibYAT::OpenLib";
inline constexpr const char* kTagCLibYATCLibYAT2 = "cLibYAT::cLibYAT";

inline constexpr yat::LogText<int> kLibraryThreadsAreStillInHost{"%d library threads are still in host callbacks"};
inline constexpr yat::LogText<> kAboutToTryToCreateLibrary{"about to try to create library"};
inline constexpr yat::LogText<> kAboutToTryToReleaseLibrary{"about to try to release library"};
inline constexpr yat::LogText<> kCalledWithoutAPlaceForThe{
    "called without a place for the library pointer; nothing opened"};
inline constexpr yat::LogText<> kTheLibraryIsBeingClosedNo{
    "the library is being closed; no object for a caller inside a library callback"};
inline constexpr yat::LogText<> kGotMutexAndNowAboutTo{"got mutex and now about to check instancecounter"};
inline constexpr yat::LogText<> kAboutToCreateLibDevice{"about to create lib device"};
inline constexpr yat::LogText<> kCouldNotCreateLibDevice{"could not create lib device"};
inline constexpr yat::LogText<int> kTheSPDeviceWasOpenedAnd{"The SP Device was opened and lib_ok is [%d]"};
inline constexpr yat::LogText<> kTheSPDeviceWasReleased{" -- The SP Device was Released"};
inline constexpr yat::LogText<> kAboutToReturn{"about to return"};
inline constexpr yat::LogText<int> kTheSPDeviceWasOpenedNumber{"The SP Device was opened, number nodes is [%d] again"};
inline constexpr yat::LogText<int> kCSPDevReleaseBeingCalledWithA{
    "cSPDev::Release() being called with a counter value of [%d]\n"};
inline constexpr yat::LogText<> kTheLastCloseCameFromInside{
    "the last close came from inside a library operation on this thread; refused"};
inline constexpr yat::LogText<> kCalledAndReleasingPointer{"called and releasing pointer"};
inline constexpr yat::LogText<> kTheCommDeviceWasNull{"The comm device was null"};
inline constexpr yat::LogText<int, int> kTheCommDeviceIsNotNull{
    "The comm device is not null, deviceID = [%d] and DEVSP = [%d]"};
inline constexpr yat::LogText<> kSettingLibOkToTrue{"setting lib_ok to true"};
inline constexpr yat::LogText<> kSettingLibOkToFalse{"setting lib_ok to false"};
inline constexpr yat::LogText<> kDestructorCalled{"destructor called"};

}  // namespace frame_texts
