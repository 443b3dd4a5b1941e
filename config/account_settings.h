#pragma once
// AccountSettings: the SP's twelve login accounts (user ID, password, authority) and its global login
// settings (the password policy and the login setting). Owned by cLibYAT; keeps no state besides the
// comm device (not owned, may be null) and takes no lock, so any number of host threads may call at
// once. User passwords never reach the log (their requests carry the withhold mark).
//
// Host buffers: authority description 14 bytes (13 characters and a terminator), user ID 16 bytes.
// Account numbers are 0-11 (the SP's 1-12); host texts are measured only up to their limit + 1.

#include <cstdint>

class cBusComm;

class AccountSettings {
public:
    explicit AccountSettings(cBusComm* comm) : comm_(comm) {}

    // Sizes first (user ID 15, description 13, bitmap 4, password 15), then each given item: status
    // (1 in use, 3 free, 0 when its read fails in transport), authority (1 administrator, 3 read-only,
    // 4 custom; when the DIALIN_AUTHORITY read fails in transport, DIALIN_FLAGS decides between 1 and
    // 3 and nothing more is read), its description, the custom bitmap, the user ID. An item the SP
    // refuses (non-zero status) or answers too short keeps its output and gives 2.
    // Results: 0 (also without a comm device); 7 account > 11; 2; transport failures (the first stays).
    [[nodiscard]] int32_t getUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                         char* authorityDescription, int32_t* descriptionSize, int32_t* customBitmap,
                                         int32_t* bitmapSize, char* userId, int32_t* userIdSize, int32_t* passwordSize);
    // Items in order: status (1 requires a non-empty user ID on the SP, 3 frees the account), authority
    // (1, 3 through DIALIN_FLAGS, 4 writes the custom bitmap), user ID, password. Every given item is
    // handled whatever the outcome of the one before, and the first failure is the result (the rule of
    // config/config_io.h): a status-1 read or DIALIN_FLAGS read that fails in transport goes on (no
    // write is built on it). A bad value, a text over 15 characters or a read the SP refused (the
    // status-1 check, or the DIALIN_FLAGS byte read-only is built on) ends the operation there, with
    // nothing more written. Results: 0 (also without a comm device); 7 account > 11; 12 a bad value, a
    // text over 15 characters, a refused change (SP status or transport failure of a status or
    // authority write), or such a refused read; transport failures of the reads and of the user ID
    // and password writes.
    [[nodiscard]] int32_t setUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                         int32_t* customBitmap, const char* userId, const char* userPassword);

    // Each given item in order forcechange, agelimit, reuseperiod, userPwdReq. Results: 0; 13 no comm
    // device; 12 all pointers null; 2 an answer too short; a transport failure or the SP's status
    // ends the operation with that value.
    [[nodiscard]] int32_t getPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit,
                                                 int32_t* reusePeriod, uint8_t* userPwdReq);
    // Writes every given item in that order whatever the previous outcome. An item's outcome is a
    // transport failure, else the SP's status byte; 12 for an agelimit outside 0-365, for which no
    // command is built. Results: 0 when every item succeeded, else the first failing item's outcome
    // (a later success does not hide it); 13 no comm device; 12 all pointers null.
    [[nodiscard]] int32_t setPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit,
                                                 int32_t* reusePeriod, uint8_t* userPwdReq);

    // Results: 0; 13 no comm device; 12 null value; 2 an empty answer; a transport failure or the
    // SP's status byte (value untouched then).
    [[nodiscard]] int32_t getLoginPolicyValue(int32_t node, int32_t* value);
    // Writes the low byte. Results: 0; 13 no comm device; a transport failure or the SP's status.
    [[nodiscard]] int32_t setLoginPolicyValue(int32_t node, int32_t value);

private:
    cBusComm* comm_;
};
