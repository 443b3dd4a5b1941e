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
    // (yat::AccountStatus: kAccountInUse, kAccountFree, kAccountUnread when its read fails in
    // transport), authority (yat::AccountAuthority; when the DIALIN_AUTHORITY read fails in transport,
    // DIALIN_FLAGS decides between kAccountAdministrator and kAccountReadOnly and nothing more is read),
    // its description, the custom bitmap, the user ID. An item the SP refuses (a status other than
    // SpStatus::kOk) or answers too short keeps its output and gives ERR_BAD_ANSWER (2).
    // Results: ERR_SUCCESS (also without a comm device); ERR_INVALID_INDEX (7) account > 11;
    // ERR_BAD_ANSWER (2); transport codes (the first stays).
    [[nodiscard]] int32_t getUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                         char* authorityDescription, int32_t* descriptionSize, int32_t* customBitmap,
                                         int32_t* bitmapSize, char* userId, int32_t* userIdSize, int32_t* passwordSize);
    // Items in order: status (kAccountInUse requires a non-empty user ID on the SP, kAccountFree frees
    // the account), authority (kAccountAdministrator, kAccountReadOnly through DIALIN_FLAGS,
    // kAccountCustom writes the custom bitmap), user ID, password. Every given item is
    // handled whatever the outcome of the one before, and the first failure is the result (the rule of
    // config/config_io.h): a kAccountInUse check read or DIALIN_FLAGS read that fails in transport goes
    // on (no write is built on it). A bad value, a text over 15 characters or a read the SP refused
    // (the kAccountInUse check, or the DIALIN_FLAGS byte read-only is built on) ends the operation
    // there, with nothing more written. Results: ERR_SUCCESS (also without a comm device);
    // ERR_INVALID_INDEX (7) account > 11; ERR_INVALID_PARAMETER (12) a bad value, a text over 15
    // characters, a refused change (SP status or transport failure of a status or authority write),
    // or such a refused read; transport codes of the reads and of the user ID and password writes.
    [[nodiscard]] int32_t setUserAccount(int32_t node, uint32_t account, int32_t* status, int32_t* authority,
                                         int32_t* customBitmap, const char* userId, const char* userPassword);

    // Each given item in order forcechange, agelimit, reuseperiod, userPwdReq. Results: ERR_SUCCESS;
    // ERR_DEVICE_NOT_OPEN (13) no comm device; ERR_INVALID_PARAMETER (12) all pointers null;
    // ERR_BAD_ANSWER (2) an answer too short; a transport code or the SP's status (spStatusResult) ends
    // the operation with that value.
    [[nodiscard]] int32_t getPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit,
                                                 int32_t* reusePeriod, uint8_t* userPwdReq);
    // Writes every given item in that order whatever the previous outcome. An item's outcome is a
    // transport code, else the SP's status byte (spStatusResult); ERR_INVALID_PARAMETER (12) for an
    // agelimit outside 0-365, for which no command is built. Results: ERR_SUCCESS when every item
    // succeeded, else the first failing item's outcome (a later success does not hide it);
    // ERR_DEVICE_NOT_OPEN (13) no comm device; ERR_INVALID_PARAMETER (12) all pointers null.
    [[nodiscard]] int32_t setPasswordInformation(int32_t node, uint8_t* forceChange, int32_t* ageLimit,
                                                 int32_t* reusePeriod, uint8_t* userPwdReq);

    // Results: ERR_SUCCESS; ERR_DEVICE_NOT_OPEN (13) no comm device; ERR_INVALID_PARAMETER (12) null
    // value; ERR_BAD_ANSWER (2) an empty answer; a transport code or the SP's status byte
    // (spStatusResult; value untouched then).
    [[nodiscard]] int32_t getLoginPolicyValue(int32_t node, int32_t* value);
    // Writes the low byte. Results: ERR_SUCCESS; ERR_DEVICE_NOT_OPEN (13) no comm device; a transport
    // code or the SP's status (spStatusResult).
    [[nodiscard]] int32_t setLoginPolicyValue(int32_t node, int32_t value);

private:
    cBusComm* comm_;
};
