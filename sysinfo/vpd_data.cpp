// getVPDData: planar EEPROM windows, the DASD read-length search and every other VPD kind.

#include <string>

#include "sysinfo/system_info.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "yat/vpd.h"
#include "sysinfo/vpd_command.h"
#include "sysinfo/log_texts.h"

namespace {

constexpr const char* kTag = sysinfo_texts::kTagCLibYATGetVPDData;

// The SP status that refuses a read length the device cannot deliver.
constexpr SpStatus kStatusLengthRefused = SpStatus::kUnavailable;
// The DASD search's first fallback length and first probe.
constexpr int32_t kDASDFallbackLength = 80;
// Transport failures in a row at one length after which the search gives up.
constexpr int32_t kMaxSearchRetries = 3;
// Upper bound on search reads (the search halves a 16-byte range, so it needs far fewer).
constexpr int32_t kMaxSearchReads = 32;

// Builds and sends one VPD read. Returns the transport code; ERR_INVALID_PARAMETER (12) when the
// pair builds no command (and nothing was sent).
[[nodiscard]] int32_t readVPD(cSPVPDCmd& command, cBusComm* comm, int32_t node, int32_t kind, int32_t instance,
                              int32_t part, int32_t length) {
    if (command.buildCommand(kind, instance, part, length) == nullptr) return ERR_INVALID_PARAMETER;
    return command.send(comm, node);
}

// The three planar windows into vpd. Returns ERR_SUCCESS, ERR_FAILED (1) when the instance builds
// no command, ERR_BAD_ANSWER (2) when the SP refused a window, or the transport result.
[[nodiscard]] int32_t readPlanar(cBusComm* comm, int32_t node, int32_t instance, VPD* vpd) {
    cSPVPDCmd command;
    static constexpr const char* kDone[] = {"got first block of planar data successfully",
                                            "got second block of planar data successfully",
                                            "got third/last block of planar data successfully"};
    for (int32_t part = 1; part <= 3; ++part) {
        if (command.buildCommand(kVPDKindPlanar, instance, part, kVPDReadLength) == nullptr) {
            yatLog(kTag, sysinfo_texts::kNoPlanarCommandForInstanceNothing, instance);
            return ERR_FAILED;
        }
        int32_t sent = command.send(comm, node);
        if (sent != ERR_SUCCESS) return sent;
        if (command.answerStatus() != SpStatus::kOk) {
            // Without data the window would fill the record with empty texts marked valid.
            yatLog(kTag, sysinfo_texts::kPlanarBlockRefusedWithStatus, part, statusByte(command.answerStatus()));
            vpd->setIsVPDValid(false);
            return ERR_BAD_ANSWER;
        }
        yatLog(kTag, sysinfo_texts::kText, kDone[part - 1]);
        ByteReader data = command.answerReader();
        if (part == 1) {
            using namespace vpdwire;
            std::string serial = data.text(kPlanarSerialHalf, kPlanarSerialHalf) + data.text(0, kPlanarSerialHalf);
            yatLog(kTag, sysinfo_texts::kPlanarSerialNumber, serial.c_str());
            vpd->set_EEPROM_SERIAL_NUMBER(serial);
            yatLog(kTag, sysinfo_texts::kEepromSerialNumber, vpd->get_EEPROM_SERIAL_NUMBER().c_str());
            vpd->set_EEPROM_MANUFACTURER_ID(data.text(kPlanarManufacturerIdOffset, kPlanarManufacturerIdSize));
            yatLog(kTag, sysinfo_texts::kEepromManufacturerId, vpd->get_EEPROM_MANUFACTURER_ID().c_str());
        } else if (part == 2) {
            vpd->set_EEPROM_PART_NUMBER(data.text(0, vpdwire::kPlanarTextSize));
            yatLog(kTag, sysinfo_texts::kEepromPartNumber, vpd->get_EEPROM_PART_NUMBER().c_str());
        } else {
            vpd->set_EEPROM_FRU_NUMBER(data.text(0, vpdwire::kPlanarTextSize));
            yatLog(kTag, sysinfo_texts::kEepromFruNumber, vpd->get_EEPROM_FRU_NUMBER().c_str());
        }
    }
    vpd->setIsVPDValid(true);
    return ERR_SUCCESS;
}

// The DASD read: 96 bytes, or when the SP refuses that length the longest length from 80 up that it
// accepts (a binary search). On 0 command holds the answer to parse (whatever the last read's
// status); otherwise the operation's result.
[[nodiscard]] int32_t searchDASDLength(cSPVPDCmd& command, cBusComm* comm, int32_t node, int32_t instance) {
    int32_t sent = readVPD(command, comm, node, kVPDKindDASD, instance, 0, kVPDReadLength);
    if (sent != ERR_SUCCESS) return sent;
    if (command.answerStatus() == SpStatus::kOk) return ERR_SUCCESS;
    if (command.answerStatus() != kStatusLengthRefused) return ERR_BAD_ANSWER;

    sent = readVPD(command, comm, node, kVPDKindDASD, instance, 0, kDASDFallbackLength);
    if (sent != ERR_SUCCESS || command.answerStatus() != SpStatus::kOk) return ERR_BAD_ANSWER;

    int32_t good = kDASDFallbackLength;
    int32_t low = kDASDFallbackLength;
    int32_t high = kVPDReadLength;
    int32_t length = (low + high) / 2;
    int32_t failuresInRow = 0;
    for (int32_t reads = 0; reads < kMaxSearchReads; ++reads) {
        bool last = false;
        if (high - low <= 1) {
            length = good;
            last = true;
        }
        sent = readVPD(command, comm, node, kVPDKindDASD, instance, 0, length);
        if (sent != ERR_SUCCESS) {
            if (++failuresInRow >= kMaxSearchRetries) {
                yatLog(kTag, sysinfo_texts::kDASDReadOfLengthFailedTimes, length, failuresInRow, sent);
                return ERR_BAD_ANSWER;
            }
            continue;  // the same length again
        }
        failuresInRow = 0;
        if (last) return ERR_SUCCESS;
        if (command.answerStatus() == SpStatus::kOk) {
            low = length;
            good = length;
            length = length + (high - length) / 2;
        } else {
            high = length;
            length = length - (length - low) / 2;
        }
    }
    return ERR_BAD_ANSWER;
}

}  // namespace

int32_t SystemInfo::getVPDData(int32_t node, int32_t kind, int32_t instance, VPD* vpd) {
    yatLog(kTag, sysinfo_texts::kEntered);
    int32_t result = ERR_SUCCESS;
    if (commDevice == nullptr) {
        result = ERR_FAILED;
    } else if (vpd == nullptr) {
        yatLog(kTag, sysinfo_texts::kVPDDataIsNULLReturningAsERR);
        result = ERR_INVALID_PARAMETER;
    } else {
        yatLog(kTag, sysinfo_texts::kVPDDataIsNotNullSoSending);
        cSPVPDCmd command;
        bool parse = false;
        if (kind == kVPDKindPlanar) {
            result = readPlanar(commDevice, node, instance, vpd);
        } else if (kind == kVPDKindDASD) {
            result = searchDASDLength(command, commDevice, node, instance);
            parse = result == ERR_SUCCESS;
        } else if (command.buildCommand(kind, instance, 0, kVPDReadLength) == nullptr) {
            yatLog(kTag, sysinfo_texts::kNoVPDCommandForKindInstance, kind, instance);
            result = ERR_FAILED;
        } else {
            int32_t sent = command.send(commDevice, node);
            result = sent;
            parse = sent == ERR_SUCCESS;
        }
        if (parse) {
            yatLog(kTag, sysinfo_texts::kRetvalFromSendCommandWasERRSUCCESS);
            result = command.getCommandData(kind, vpd);
            yatLog(kTag, sysinfo_texts::kRetValFromGetCommandDataIs, result);
            if (!vpd->isVPDValid()) {
                yatLog(kTag, sysinfo_texts::kVPDObjectIsBadForSome);
                result = ERR_INVALID_VPD;
            }
        }
    }
    yatLog(kTag, sysinfo_texts::kReturningRetval, result);
    return result;
}
