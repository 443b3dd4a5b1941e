// SP type detection: the vectored system summary read and the trial-and-error probes.

#include <cstdint>
#include <new>

#include "platform/library_mutex.h"
#include "sysinfo/system_info.h"
#include "yat/codes.h"
#include "yat/result_codes.h"
#include "platform/log.h"
#include "sysinfo/vss.h"
#include "sysinfo/log_texts.h"

namespace {

// The pointer as a log value (its low 32 bits; 0 for none).
unsigned pointerValue(const void* pointer) { return static_cast<unsigned>(reinterpret_cast<uintptr_t>(pointer)); }

// Sends dotCommand as a plain get request to node 0. Returns the transport code, or the answer's
// status byte (spStatusResult) when the send succeeded: ERR_SUCCESS when the SP answered the probe.
[[nodiscard]] int32_t probe(cBusComm* comm, const char* dotCommand) {
    cSPCmd command;
    command.buildSPCommand(dotCommand, wire::kGet, nullptr, nullptr, 0, 0);
    int32_t sent = command.send(comm, 0);
    if (sent != ERR_SUCCESS) return sent;
    return spStatusResult(command.answerStatus());
}

}  // namespace

int32_t SystemInfo::initVectoredSystemSummary() {
    constexpr const char* tag = sysinfo_texts::kTagClibyatInitVectoredSystemSummary2;
    int32_t result = ERR_FAILED;
    if (commDevice != nullptr) {
        yatLog(tag, sysinfo_texts::kAboutToSend12Command);
        cSPVSS vss;
        vss.buildCommand();
        int32_t sent = vss.send(commDevice, 0);
        if (sent != ERR_SUCCESS) {
            result = sent;
            yatLog(tag, sysinfo_texts::kSendCommandFailedRetVal, result);
        } else {
            yatLog(tag, sysinfo_texts::kAboutToCreateVSSObjectRetVal, 0, static_cast<int32_t>(vss.answerDataLength()));
            freeSystemSummary();
            systemSummary.reset(new (std::nothrow) VectoredSystemSummary());
            result = systemSummary == nullptr ? ERR_NO_RESOURCE : vss.getCommandData(systemSummary.get());
            if (result != ERR_SUCCESS) {
                yatLog(tag, sysinfo_texts::kVssDotCommandFailedDeletingVss, result);
                freeSystemSummary();
            } else {
                yatLog(tag, sysinfo_texts::kAboutToGetSptypeFromVss);
                spType = systemSummary->vssType();
                spType = spTypeFromSummary(*systemSummary);
                if (spType < 0) spType = yat::kSpTypeUnknown;
                yatLog(sysinfo_texts::kTagClibyatInitVectoredSystemSummary, sysinfo_texts::kSpType, spType);
            }
        }
    }
    yatLog(tag, sysinfo_texts::kReturningRetVal, result);
    return result;
}

int32_t SystemInfo::getSPType(int32_t* type) {
    constexpr const char* tag = sysinfo_texts::kTagClibyatGetSPType;
    QV::MutexLock lock(libraryMutex);
    yatLog(tag, sysinfo_texts::kEnteredSystemSummary, pointerValue(systemSummary.get()));
    int32_t result = ERR_SUCCESS;
    if (systemSummary == nullptr && spType == yat::kSpTypeUnknown) {
        result = initVectoredSystemSummary();
        if (result != ERR_SUCCESS) {
            yatLog(tag, sysinfo_texts::kVSSInitFailedSoGettingSp);
            if (probe(commDevice, vsswire::kProbeOpal) == ERR_SUCCESS) {
                yatLog(tag, sysinfo_texts::kTrialAndErrorFoundOpal);
                spType = yat::kSpTypeOpal;
                result = ERR_SUCCESS;
            } else if (probe(commDevice, vsswire::kProbeBeryl) == ERR_SUCCESS) {
                yatLog(tag, sysinfo_texts::kTrialAndErrorFoundBeryl);
                spType = yat::kSpTypeBeryl;
                result = ERR_SUCCESS;
            } else {
                result = probe(commDevice, vsswire::kProbeCobalt);
                if (result == ERR_SUCCESS) {
                    yatLog(tag, sysinfo_texts::kTrialAndErrorFoundCobalt);
                    spType = yat::kSpTypeCobalt;
                } else {
                    yatLog(tag, sysinfo_texts::kCouldnTFigureOutSpType);
                    spType = yat::kSpTypeCobaltFallback;
                }
            }
        }
        yatLog(tag, sysinfo_texts::kDoneWithInitVSSIfStatement);
    }
    yatLog(tag, sysinfo_texts::kDoneWithOuterIfStatement);
    yatLog(tag, sysinfo_texts::kREALSPTYPESpTypeRetVal, spType, result);
    if (type != nullptr) *type = spType;
    return result;
}

SystemInfo::SystemInfo(cBusComm* device, int32_t& type) : commDevice(device), spType(type) {}

SystemInfo::~SystemInfo() = default;

void SystemInfo::freeSystemSummary() { systemSummary.reset(); }
