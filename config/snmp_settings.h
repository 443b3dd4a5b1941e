#pragma once
// SnmpSettings: the SP's SNMP agent settings (two texts, three switches), its three SNMP communities
// and its twelve out-of-band alert recipients. Owned by cLibYAT; keeps no state besides the comm
// device (not owned, may be null) and takes no lock: every operation builds its own command objects,
// so any number of host threads may call at once. Every log line goes under the tag "---"; community
// strings and alert passwords never reach the log (their requests carry the withhold mark).
//
// Common rules: host instances are 0-based (the SP's 1-based number goes into the command); texts
// handed in are measured only up to their limit + 1, so an unterminated or huge text is safe; a
// text longer than its limit ends the operation before its own command is built (items handled
// before it stay done; the result is the first failure so far, ERR_INVALID_PARAMETER (12) when
// there was none). Each write's result is the transport code, or ERR_BAD_ANSWER (2) when the SP
// refuses it with a non-zero status. Each read's result is the transport code, or ERR_BAD_ANSWER
// (2) when the answer check fails (its output then stays untouched, except where a 238 marker or an
// empty text is stored as said). Get and set operations alike handle every item they were given, in
// order, whatever the outcome of the one before; the result is the first failing item's, else the
// last item's (config/config_io.h).
//
// Host buffers: text A/B 48 bytes, community name 16, community address 64, description 64,
// destination 49, host 63, user ID 63.

#include <cstdint>

class cBusComm;

class SnmpSettings {
public:
    explicit SnmpSettings(cBusComm* comm) : comm_(comm) {}

    // Flags (both pointers needed): flagsAvailable 7; flagsSet bit 0 version 1 agent enabled, bit 1
    // third switch, bit 2 traps enabled (a failed switch read counts as 0 there). Sizes 47.
    // Results: ERR_FAILED (1) nothing read (nothing asked, or no comm device); ERR_SUCCESS;
    // ERR_BAD_ANSWER (2); transport failures.
    [[nodiscard]] int32_t getSNMPConfiguration(int32_t node, char* textA, int32_t* sizeA, char* textB, int32_t* sizeB,
                                               int32_t* flagsAvailable, int32_t* flagsSet);
    // flagsChanged bit 2 writes the traps switch, bit 0 the version 1 switch; bit 1 (third switch)
    // writes nothing: the SP has no write form for it. Results: ERR_FAILED (1) nothing written;
    // ERR_SUCCESS; ERR_INVALID_PARAMETER (12) a text longer than 47; ERR_BAD_ANSWER (2); transport
    // failures.
    [[nodiscard]] int32_t setSNMPConfiguration(int32_t node, const char* textA, const char* textB,
                                               const uint8_t* flagsChanged, const uint8_t* flagsSet);

    // community 0-2, else 7. stringSize 15. typeOfAccess: 238 when the SP's answer fails the check
    // (result 0 for that item); without comm device result 0 for it. Results: ERR_FAILED (1)
    // nothing read; ERR_SUCCESS; ERR_BAD_ANSWER (2); ERR_INVALID_INDEX (7); transport failures.
    [[nodiscard]] int32_t getSNMPCommunityConfiguration(int32_t node, uint32_t community, char* communityString,
                                                        int32_t* stringSize, int32_t* typeOfAccess);
    // Results: ERR_FAILED (1) nothing written or no comm device; ERR_SUCCESS; ERR_INVALID_INDEX
    // (7); ERR_INVALID_PARAMETER (12) a name longer than 15; ERR_BAD_ANSWER (2); transport.
    [[nodiscard]] int32_t setSNMPCommunityConfiguration(int32_t node, uint32_t community, const char* communityString,
                                                        const uint8_t* typeOfAccess);
    // community and ipInstance 0-2, else 7. addressSize 63. Results: ERR_FAILED (1) no buffer or no
    // comm device; ERR_SUCCESS; ERR_BAD_ANSWER (2); ERR_INVALID_INDEX (7); transport failures.
    [[nodiscard]] int32_t getSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance, char* address,
                                             int32_t* addressSize);
    // Results: ERR_FAILED (1) no address or no comm device; ERR_SUCCESS; ERR_INVALID_INDEX (7);
    // ERR_INVALID_PARAMETER (12) longer than 63; ERR_BAD_ANSWER (2); transport failures.
    [[nodiscard]] int32_t setSNMPCommunityIP(int32_t node, uint32_t community, uint32_t ipInstance,
                                             const char* address);

    // recipient 0-11, else 7. Sizes: description 63, destination 49, host 63, user ID 63, password
    // 15. alertType: 1 for an entry without description, else the SP's connection type + 2 (240
    // when that read fails the check). Flags (both pointers): flagsAvailable 3; bit 0 entry
    // enabled, bit 1 selective alert notification on. Destination, host and user ID come from the
    // items of the entry's type (empty where the type has none). Results: ERR_FAILED (1) nothing
    // read; ERR_SUCCESS; ERR_BAD_ANSWER (2); ERR_INVALID_INDEX (7); transport.
    [[nodiscard]] int32_t getOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType,
                                                   char* description, int32_t* descriptionSize, char* destination,
                                                   int32_t* destinationSize, char* host, int32_t* hostSize,
                                                   char* userId, int32_t* userIdSize, int32_t* passwordSize,
                                                   int32_t* flagsAvailable, int32_t* flagsSet);
    // Alert type 1 clears the entry (status 0, every text item emptied); other types write their
    // connection type and the texts their type uses. Without an alert type the SP's is read first
    // (a failed read leaves no type: only the description and the flags are written). Logs
    // "setOOBAlertConfiguration....EXIT" on every way out. Results: ERR_FAILED (1) nothing written;
    // ERR_SUCCESS; ERR_INVALID_INDEX (7); ERR_INVALID_PARAMETER (12) a text over its limit;
    // ERR_BAD_ANSWER (2); transport failures.
    [[nodiscard]] int32_t setOOBAlertConfiguration(int32_t node, uint32_t recipient, int32_t* alertType,
                                                   const char* description, const char* destination, const char* host,
                                                   const char* userId, const char* userPassword,
                                                   const int32_t* flagsChanged, const int32_t* flagsSet);

private:
    cBusComm* comm_;
};
