#pragma once
// SystemInfo: the library object's system information — SP type detection with the vectored system
// summary, system state, watchdog timers, firmware data and VPD.
//
// Owned by cLibYAT, which forwards the operations here. Holds the vectored system summary (owned)
// and writes the library object's SP type code, which it is given by reference. Requests keep no
// state between calls and take no lock, except getSPType, which probes under the library mutex.
// Any thread may call.
//
// Results, per operation:
// - initVectoredSystemSummary: ERR_SUCCESS when "1.2" was read and parsed; the transport code on a
//   failed send; the status byte when the SP refused; ERR_NO_RESOURCE (3) when the summary could
//   not be stored; ERR_NO_DEVICE (9) without a comm device.
// - getSPType: ERR_SUCCESS with the type code in *type (null: not written); the probe's code when
//   probing failed.
// - getSystemState: ERR_FAILED (1) without a comm device; ERR_INVALID_PARAMETER (12) for a null
//   record; ERR_BAD_ANSWER (2) when the SP refused "6.1"; otherwise the result of the last item
//   sent.
// - getWatchogTimers: ERR_SUCCESS without a comm device (nothing to read); ERR_INVALID_PARAMETER
//   (12) for a null record; when every item failed, the transport code when the last item (the
//   power-off delay) could not be sent, ERR_BAD_ANSWER (2) when it was sent but refused or not
//   decodable; otherwise ERR_SUCCESS, with failed items at -1.
// - getFirmwareData: ERR_FAILED (1) without a comm device, for a kind without a command, or when
//   the send failed (the transport code is not passed on); ERR_INVALID_PARAMETER (12) for a null
//   record; ERR_BAD_ANSWER (2) when the answer fails its check.
// - getVPDData: ERR_FAILED (1) without a comm device or for a kind/instance without a command;
//   ERR_INVALID_PARAMETER (12) for a null record; the transport code when a read could not be sent
//   (the DASD length search: its first read; it reads a length again after a failed send and gives
//   ERR_BAD_ANSWER (2) after three in a row, or when its fallback read fails); ERR_BAD_ANSWER (2)
//   for a read the SP refused; ERR_INVALID_VPD (8) when the record is not valid after parsing.
// - getMachineVPD: ERR_FAILED (1) without a comm device or for an SP type without a chassis read;
//   ERR_INVALID_PARAMETER (12) for a null record; the chassis read decides the result: the
//   transport code when it could not be sent, ERR_BAD_ANSWER (2) when the SP refused it (the UUID
//   read never decides the result; a failed one leaves the UUID untouched).
// - getPostBiosVPD: ERR_FAILED (1) without a comm device; ERR_INVALID_PARAMETER (12) for a null
//   record; the transport code when the read could not be sent; ERR_BAD_ANSWER (2) when the SP
//   refused it.

#include <cstdint>
#include <memory>

#include "yat/host_records.h"

class cBusComm;
class VectoredSystemSummary;

class SystemInfo {
public:
    // commDevice may be null (every request then answers as listed above); spType is the library
    // object's SP type code, which detection writes.
    SystemInfo(cBusComm* commDevice, int32_t& spType);
    ~SystemInfo();
    SystemInfo(const SystemInfo&) = delete;
    SystemInfo& operator=(const SystemInfo&) = delete;

    // Sends "1.2", parses the summary and sets the SP type code.
    [[nodiscard]] int32_t initVectoredSystemSummary();
    [[nodiscard]] int32_t getSPType(int32_t* type);
    [[nodiscard]] int32_t getSystemState(int32_t node, SystemStateInfo* info);
    [[nodiscard]] int32_t getWatchogTimers(int32_t node, WatchdogTimersInfo* info);
    [[nodiscard]] int32_t getFirmwareData(int32_t node, int32_t kind, FirmwareInfo* info, int32_t extra);
    [[nodiscard]] int32_t getVPDData(int32_t node, int32_t kind, int32_t instance, VPD* vpd);
    [[nodiscard]] int32_t getMachineVPD(int32_t node, MachineVPDInfo* info);
    [[nodiscard]] int32_t getPostBiosVPD(int32_t node, PostBiosVPDInfo* info);

    // Frees the vectored system summary (a destructor step of the library object).
    void freeSystemSummary();

private:
    cBusComm* const commDevice;  // not owned
    int32_t& spType;
    std::unique_ptr<VectoredSystemSummary> systemSummary;
};
