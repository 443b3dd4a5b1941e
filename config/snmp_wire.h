#pragma once
// Wire layout of the SNMP agent settings, the three SNMP communities and the twelve out-of-band alert
// recipients. Reads are gets (type 2) without data, writes sets (type 0). Text writes carry the text
// and its terminator; byte items one data byte. The simulator answers from the same constants.
//
//   "4.9.3.1.2" / "4.9.3.1.1"   SNMP texts A and B, at most 47 characters
//   "4.9.3.1.3"                 traps disabled: A[0] non-zero; set 1 byte 0/1
//   "4.9.3.1.5"                 version 1 agent enabled: A[0]; set 1 byte 0/1
//   "4.9.3.1.6"                 third agent switch: A[0]; read only (no write form)
//   "4.9.3.1.4.c.i"             community c (1-3), item i: 1 name (15), 2-4 host address (63),
//                               5 access type (1 byte)
//   "4.1.3.r.N"                 recipient r (1-12), item N (table below)

#include <cstdint>

namespace snmpwire {

inline constexpr const char* kTextACommand = "4.9.3.1.2";
inline constexpr const char* kTextBCommand = "4.9.3.1.1";
inline constexpr const char* kTrapsDisableCommand = "4.9.3.1.3";
inline constexpr const char* kV1EnableCommand = "4.9.3.1.5";
inline constexpr const char* kThirdSwitchCommand = "4.9.3.1.6";
inline constexpr const char* kCommunityCommand = "4.9.3.1.4.x.x";
inline constexpr const char* kRecipientCommand[] = {nullptr,      "4.1.3.x.1", "4.1.3.x.2", "4.1.3.x.3", "4.1.3.x.4",
                                                    "4.1.3.x.5",  "4.1.3.x.6", "4.1.3.x.7", "4.1.3.x.8", "4.1.3.x.9",
                                                    "4.1.3.x.0A", nullptr,     "4.1.3.x.0C"};

// Texts: most characters without the terminator.
inline constexpr int32_t kTextMax = 47;
inline constexpr int32_t kCommunityNameMax = 15;
inline constexpr int32_t kCommunityAddressMax = 63;
inline constexpr int32_t kDescriptionMax = 63;
inline constexpr int32_t kDestinationMax = 49;
inline constexpr int32_t kHostMax = 63;
inline constexpr int32_t kUserIdMax = 63;
inline constexpr int32_t kPasswordMax = 15;

// Instances.
inline constexpr uint32_t kCommunities = 3;  // host 0-2, SP 1-3
inline constexpr uint32_t kCommunityAddresses = 3;
inline constexpr uint32_t kRecipients = 12;  // host 0-11, SP 1-12

// Community items.
inline constexpr uint8_t kCommunityName = 1;
inline constexpr uint8_t kCommunityFirstAddress = 2;  // address i (0-2) is item i + 2
inline constexpr uint8_t kCommunityAccess = 5;

// Recipient items.
enum RecipientItem : uint8_t {
    kEntryStatus = 1,  // 2 enabled, 1 disabled, 0 cleared
    kAddress = 2,      // destination (types 2-6, 10) or host (types 8, 9)
    kDescription = 3,
    kConnectionType = 4,  // alert type - 2
    kUserIdType4 = 5,
    kPasswordType4 = 6,  // write only
    kPasswordType3 = 7,  // write only
    kDestination79 = 8,  // destination of types 7 and 9
    kUserId89 = 9,
    kPassword89 = 0x0A,      // write only
    kSelectiveAlert = 0x0C,  // 0 means on
};

inline constexpr uint8_t kStatusEnabled = 2;
inline constexpr uint8_t kStatusDisabled = 1;
inline constexpr uint8_t kStatusCleared = 0;

// The alert type a host sees: 1 for an entry without description, else connection type + 2.
inline constexpr int32_t kAlertTypeUnused = 1;
inline constexpr int32_t kConnectionTypeOffset = 2;
inline constexpr int32_t kAlertTypeMax = 10;

// The items an alert type uses (0: the type has none). Destination: types 2-6 and 10 keep it in item
// 2, types 7 and 9 in item 8; host: types 8 and 9 in item 2; user ID: type 4 in item 5, types 8 and
// 9 in item 9; password: type 3 in item 7, type 4 in item 6, types 8 and 9 in item 0A.
constexpr bool isHostType(int32_t type) { return type == 8 || type == 9; }
constexpr uint8_t destinationItem(int32_t type) {
    if ((type >= 2 && type <= 6) || type == 10) return kAddress;
    if (type == 7 || type == 9) return kDestination79;
    return 0;
}
constexpr uint8_t hostItem(int32_t type) { return isHostType(type) ? kAddress : 0; }
constexpr uint8_t userIdItem(int32_t type) {
    if (type == 4) return kUserIdType4;
    if (isHostType(type)) return kUserId89;
    return 0;
}
constexpr uint8_t passwordItem(int32_t type) {
    if (type == 3) return kPasswordType3;
    if (type == 4) return kPasswordType4;
    if (isHostType(type)) return kPassword89;
    return 0;
}
constexpr bool isPasswordItem(uint8_t item) {
    return item == kPasswordType3 || item == kPasswordType4 || item == kPassword89;
}

// Flag maps.
inline constexpr int32_t kSnmpFlagsAvailable = 7;
inline constexpr int32_t kSnmpFlagV1Enabled = 1;
inline constexpr int32_t kSnmpFlagThirdSwitch = 2;
inline constexpr int32_t kSnmpFlagTrapsEnabled = 4;
inline constexpr int32_t kRecipientFlagsAvailable = 3;
inline constexpr int32_t kRecipientFlagEnabled = 1;
inline constexpr int32_t kRecipientFlagSelective = 2;

// A byte read into a local starts as this, so that a failed read shows.
inline constexpr uint8_t kUnreadMarker = 238;

}  // namespace snmpwire
