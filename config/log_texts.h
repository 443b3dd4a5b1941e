#pragma once
// The log tags and texts of config/: the system's own words, written to libyat.log exactly as they stand.
// Support staff search the log for them, so the odd spellings, spacing and formats are kept on
// purpose: do not correct them. Each constant names the types of its arguments; the compiler checks
// the format against them and every call against the constant (platform/log_text.h).

#include "platform/log_text.h"

namespace config_texts {

// Tags of entries whose call names no tag of its own.
inline constexpr const char* kTagCSPUtilitiesResetServiceProcessor = "cSPUtilities::.resetServiceProcessor";
inline constexpr const char* kTagSetPwdAging = "setPwdAging";
inline constexpr const char* kTagCLibYATGetSMTPConfiguration = "cLibYAT::getSMTPConfiguration";
inline constexpr const char* kTagCLibYATGetRemoteAlertConfiguration = "cLibYAT::getRemoteAlertConfiguration";
inline constexpr const char* kTagCLibYATSetRemoteAlertConfiguration = "cLibYAT::setRemoteAlertConfiguration";
inline constexpr const char* kTagCSvcProcCfgSetNetworkPort = "cSvcProcCfg::setNetworkPort";

// Log tags of the functions that log.
inline constexpr const char* kTagCLibYATGetUserAccount = "cLibYAT::getUserAccount";
inline constexpr const char* kTagClibyatGetUserAccount = "clibyat.getUserAccount";
inline constexpr const char* kTagCLibYATSetUserAccount = "cLibYAT::setUserAccount";
inline constexpr const char* kTagCIPConfigConvertIPStringToData = "cIPConfig::convertIPStringToData";
inline constexpr const char* kTagSetPasswordInformation = "setPasswordInformation";
inline constexpr const char* kTagCLibYATSetSMTPConfiguration = "cLibYAT::setSMTPConfiguration";
inline constexpr const char* kTagCLibYATGetIPConfigInfo = "cLibYAT::getIPConfigInfo";
inline constexpr const char* kTagCLibYATSetDHCPEnable = "cLibYAT::setDHCPEnable";
inline constexpr const char* kTagCLibYATSetIPConfigInfo = "cLibYAT::setIPConfigInfo";
inline constexpr const char* kTagDashes = "---";

inline constexpr yat::LogText<> kEnteringRoutine{"entering routine"};
inline constexpr yat::LogText<> kDeviceNULLReturning{"device == NULL, returning"};
inline constexpr yat::LogText<> kDeviceIsNotNull{"device is not null"};
inline constexpr yat::LogText<int> kReturningWithRetVal{"Returning with retVal=[%d]"};
inline constexpr yat::LogText<> kGettingStatus{"getting status"};
inline constexpr yat::LogText<> kDumpingDataBuffer4{"dumping data buffer: 4"};
inline constexpr yat::LogText<> kGettingAuthorityOption{"getting authority option"};
inline constexpr yat::LogText<> kDIALINAUTHORITYDotCommandFailedTrying{
    "DIALIN_AUTHORITY dot command failed, trying DIALIN_FLAGS"};
inline constexpr yat::LogText<> kGettingAuthorityDescriptionOption{"getting authority description option"};
inline constexpr yat::LogText<> kGettingCustomAuthorityBitmap{"getting custom authority bitmap"};
inline constexpr yat::LogText<> kGettingUserID{"getting UserID"};
inline constexpr yat::LogText<> kDumpingDataBuffer{"dumping data buffer"};
inline constexpr yat::LogText<> kSettingStatusOption{"setting status option"};
inline constexpr yat::LogText<> kSettingAuthorityOption{"setting authority option"};
inline constexpr yat::LogText<> kSettingCustomAuthorityBitmapOption{"setting customAuthorityBitmap option"};
inline constexpr yat::LogText<> kSettingUserIDOption{"setting userID option"};
inline constexpr yat::LogText<> kSettingUserPWOption{"setting userPW option"};
inline constexpr yat::LogText<int, int, int, int> kData0Data1Data2{"Data 0 [%d] Data 1 [%d] Data 2 [%d] Data 3 [%d]"};
inline constexpr yat::LogText<int> kCounterIs{"counter is [%d]"};
inline constexpr yat::LogText<> kEntered{"entered"};
inline constexpr yat::LogText<int> kTheRestartWasNotSent{"the restart was not sent: [%d]"};
inline constexpr yat::LogText<> kInTheRoutine{"in the routine"};
inline constexpr yat::LogText<> kTheDeviceWasNull{"the device was null"};
inline constexpr yat::LogText<> kAllParametersWereNull{"all parameters were null"};
inline constexpr yat::LogText<> kTheDeviceIsNotNull{"the device is not null"};
inline constexpr yat::LogText<> kAtLeastOneParamIsNot{"at least one param is not null"};
inline constexpr yat::LogText<> kForcechange{"forcechange"};
inline constexpr yat::LogText<int> kTheSendcommandFailedWithRetvalOf{
    "the sendcommand failed with retval of: [%d] for forcechange"};
inline constexpr yat::LogText<> kSendcommandSucceededForForcechange{"sendcommand succeeded for forcechange"};
inline constexpr yat::LogText<> kCommandstatusSucceededForForcechange{"commandstatus succeeded for forcechange"};
inline constexpr yat::LogText<int> kTheGetcommandstatusFailedWithRetvalOf{
    "the getcommandstatus failed with retval of: [%d] for forcechange"};
inline constexpr yat::LogText<> kAgelimit{"agelimit"};
inline constexpr yat::LogText<int, int> kAgelimitIsOutside0NothingSent{"agelimit [%d] is outside 0-%d; nothing sent"};
inline constexpr yat::LogText<unsigned, unsigned> kSetting0ToAnd2To{"setting [0] to [%x] and [2] to [%x]"};
inline constexpr yat::LogText<int> kTheSendcommandFailedWithRetvalOf2{"the sendcommand failed with retval of: [%d]"};
inline constexpr yat::LogText<> kAgelimitSendcommandSucceeded{"agelimit sendcommand succeeded"};
inline constexpr yat::LogText<> kAgelimitGetcommandstatusSucceeded{"agelimit getcommandstatus succeeded"};
inline constexpr yat::LogText<int> kTheRetvalOfAfterAgelimit{"the retval of: [%d] after agelimit"};
inline constexpr yat::LogText<> kReuseperiod{"reuseperiod"};
inline constexpr yat::LogText<> kInUserPwdReqSection{"in userPwdReq section"};
inline constexpr yat::LogText<> kTheCommandSucceeded{"the command succeeded"};
inline constexpr yat::LogText<> kGetcommandstatusSucceeded{"getcommandstatus succeeded"};
inline constexpr yat::LogText<int> kTheGetcommandstatusFailedWithRetvalOf2{
    "the getcommandstatus failed with retval of: [%d]"};
inline constexpr yat::LogText<> kExitingTheRoutine{"exiting the routine"};
inline constexpr yat::LogText<> kDeviceNotOpen{"device not open"};
inline constexpr yat::LogText<int> kTheServerTextIsLongerThan{
    "the server text is longer than %d characters; nothing sent"};
inline constexpr yat::LogText<> kReturningBackBadParamenter{"returning back bad paramenter"};
inline constexpr yat::LogText<> kIPSourceNULL{"IP Source NULL"};
inline constexpr yat::LogText<> kDeviceNotNULL{"device not NULL"};
inline constexpr yat::LogText<> kCallToGetDHCPSucceeded{"call to get DHCP succeeded"};
inline constexpr yat::LogText<> kCallToGetDHCPAddressFailed{" -- call to get DHCP address failed"};
inline constexpr yat::LogText<> kCallToGetDHCPAddressSucceeded{" -- call to get DHCP address succeeded"};
inline constexpr yat::LogText<int, int, int> kCLibYATGetIPConfigInfoSourcetypeIsPortNode{
    "cLibYAT::getIPConfigInfo -- sourcetype is [%d], port [%d] node [%d]\n"};
inline constexpr yat::LogText<> kTheDeviceIsNull{"the device is null"};
inline constexpr yat::LogText<int> kEnableDoesNotFitTheOne{
    "enable [%d] does not fit the one byte the SP takes; nothing sent"};
inline constexpr yat::LogText<int, int, int, int> kTheDeviceDriverCallFailedAnd{
    "The device driver call failed and status is [%d] for node [%d] port [%d] enable [%d]"};
inline constexpr yat::LogText<int, int, int, int> kTheDeviceDriverCallSucceededAnd{
    "The device driver call succeeded and status is [%d] for node [%d] and port [%d] and enable [%d]"};
inline constexpr yat::LogText<> kTheDeviceWasNotNull{"the device was not null"};
inline constexpr yat::LogText<const char*> kTheTextIsNotADotted{"the %s text is not a dotted address; nothing sent"};
inline constexpr yat::LogText<const char*, int, int> kSettingTheDeviceDriverRetvalIsAnd{
    "setting %s the deviceDriver retval is [%d] and the status field is [%d]"};
inline constexpr yat::LogText<int> kPortNumberIsOutside0To{"port number [%d] is outside 0 to 65535; nothing sent"};
inline constexpr yat::LogText<int, unsigned, unsigned> kGetOOBAlertConfigurationInstanceAlertTypeAddrDescriptionAddr{
    "getOOBAlertConfiguration....Instance = [%d], AlertTypeAddr = [%x], descriptionAddr = [%x]"};
inline constexpr yat::LogText<unsigned, unsigned, unsigned> kDestinationAddrHostAddrUserIDAddr{
    "destinationAddr = [%x], hostAddr = [%x], userIDAddr = [%x]"};
inline constexpr yat::LogText<int> kAlertType{"**** AlertType **** = [%d]"};
inline constexpr yat::LogText<unsigned> kSPReturnedConnectionType{"SP Returned Connection Type = [%x]"};
inline constexpr yat::LogText<const char*> kSPReturnedDescription{"SP Returned Description = [%s]"};
inline constexpr yat::LogText<const char*> kDescription{"Description = [%s]"};
inline constexpr yat::LogText<int> kAlertType2{"AlertType = [%d]"};
inline constexpr yat::LogText<unsigned> kFlagsAvailable{"flagsAvailable = [%x]"};
inline constexpr yat::LogText<unsigned, unsigned> kGetSelectiveAlertNotificationRetValData{
    "getSelectiveAlertNotification....retVal = [%x], Data = [%x]"};
inline constexpr yat::LogText<unsigned> kFlagsSet{"flagsSet = [%x]"};
inline constexpr yat::LogText<int> kGetOOBAlertConfigurationReturning{"getOOBAlertConfiguration....returning [%d]"};
inline constexpr yat::LogText<int, unsigned, unsigned> kSetOOBAlertConfigurationInstanceAlertTypeAddrDescriptionAddr{
    "setOOBAlertConfiguration....Instance = [%d], AlertTypeAddr = [%x], descriptionAddr = [%x]"};
inline constexpr yat::LogText<unsigned, unsigned, unsigned, unsigned> kDestinationAddrHostAddrUserIDAddrUserPWAddr{
    "destinationAddr = [%x], hostAddr = [%x], userIDAddr = [%x], userPWAddr = [%x]"};
inline constexpr yat::LogText<unsigned, unsigned> kFLAGMAPSFlagsChangedFlagsSet{
    "FLAG MAPS.....flagsChanged = [%x], flagsSet = [%x]"};
inline constexpr yat::LogText<> kSetOOBAlertConfigurationEXIT{"setOOBAlertConfiguration....EXIT"};
inline constexpr yat::LogText<unsigned> kCallingSetEntryStatusData{"calling setEntryStatus: Data = [%x]"};
inline constexpr yat::LogText<unsigned> kCallingSetSelectiveAlertNotificationData{
    "calling setSelectiveAlertNotification: Data = [%x]"};
inline constexpr yat::LogText<unsigned> kCallingSetTrapsDisableBData{"calling setTrapsDisable: bData = [%x]"};
inline constexpr yat::LogText<unsigned> kCallingSetSNMPV1EnableBData{"calling setSNMP_V1_Enable: bData = [%x]"};
inline constexpr yat::LogText<> kGetSNMPCommunityConfiguration{"getSNMPCommunityConfiguration...."};
inline constexpr yat::LogText<unsigned, unsigned, unsigned, unsigned>
    kCommunityInstanceADDRstringSizeADDRcommunityStringADDRtypeOfAccess{
        "communityInstance = [%x] -- ADDRstringSize= [%x] -- ADDRcommunityString = [%x] --  ADDRtypeOfAccess = [%x]"};
inline constexpr yat::LogText<unsigned> kSPReturnedTypeOfAccessData{"SP Returned typeOfAccess Data = [%x]"};
inline constexpr yat::LogText<> kSetSNMPCommunityConfiguration{"setSNMPCommunityConfiguration...."};
inline constexpr yat::LogText<unsigned, unsigned> kCommunityInstanceADDRcommunityString{
    "communityInstance = [%x] -- ADDRcommunityString = [%x] --  "};
inline constexpr yat::LogText<> kGetSNMPCommunityIP{"getSNMPCommunityIP...."};
inline constexpr yat::LogText<unsigned, unsigned, unsigned, unsigned>
    kCommunityInstanceIpInstanceADDRipAddressSizeADDRipAddress{
        "communityInstance = [%x] -- ipInstance = [%x] -- ADDRipAddressSize = [%x]  -- ADDRipAddress = [%x]"};
inline constexpr yat::LogText<> kSetSNMPCommunityIP{"setSNMPCommunityIP...."};
inline constexpr yat::LogText<unsigned, unsigned, unsigned> kCommunityInstanceIpInstanceADDRipAddress{
    "communityInstance = [%x] -- ipInstance = [%x] -- ADDRipAddress = [%x]"};
inline constexpr yat::LogText<int, unsigned, unsigned, int> kSettingThePortToFromNewPort{
    "setting the port [%d] to [%x %x] from newPort [%d]"};

// Progress lines (yatProgress: standard output, the log or nothing, as YAT_STDOUT says).
inline constexpr yat::LogText<int, int, int> kProgressSourcetypeIsPortNode{
    "cLibYAT::getIPConfigInfo -- sourcetype is [%d], port [%d] node [%d]\n"};
inline constexpr yat::LogText<int> kProgressIntTheRoutineAndStatus{
    "cSvcProcCfg::getTCPNetworkPortData -- int the routine and status == [%d]\n"};
inline constexpr yat::LogText<unsigned, unsigned> kProgressCommandByte{
    "cSvcProcCfg::getTCPNetworkPortData -- command byte [%x.%x]\n"};
inline constexpr yat::LogText<unsigned> kProgressValue{"cSvcProcCfg::getTCPNetworkPortData -- value [%u]\n"};

}  // namespace config_texts
