// TCP port numbers of the SP.

#include "config/tcp_port.h"

#include <cstdio>

#include "yat/command_buffer.h"
#include "config/network_wire.h"
#include "config/svc_proc_cfg.h"
#include "platform/byte_reader.h"
#include "platform/log.h"
#include "yat/result_codes.h"
#include "config/log_texts.h"

namespace {

// "4.d.x": three command bytes.
constexpr size_t kPortCommandBytes = 3;

}  // namespace

int32_t decodePortAnswer(const uint8_t* answer, size_t size, int32_t* value) {
    ByteReader buffer(answer, size);
    const auto status = static_cast<SpStatus>(buffer.u8(wire::kStatusOffset));
    const uint16_t claimed = buffer.u16le(wire::kDataLengthOffset);
    if (buffer.overrun()) return ERR_BAD_ANSWER;  // not even a header
    if (status != SpStatus::kOk) return spStatusResult(status);
    const uint16_t port = buffer.u16be(wire::kHeaderSize + kPortCommandBytes);
    if (claimed < netwire::kPortBytes || buffer.overrun()) return ERR_BAD_ANSWER;
    if (value != nullptr) *value = port;
    return ERR_SUCCESS;
}

int32_t getTCPNetworkPortData(cSvcProcCfg& command, cBusComm* comm, int32_t node, uint8_t port, int32_t* value) {
    if (command.buildSPCommand(netwire::kPortCommand, wire::kGet, &port, nullptr, 1, 0) == nullptr) {
        return ERR_INVALID_PARAMETER;
    }
    int32_t sent = command.send(comm, node);
    if (sent != ERR_SUCCESS) return sent;
    const uint8_t* answer = command.buffer();
    yatProgress(config_texts::kProgressIntTheRoutineAndStatus, answer[wire::kStatusOffset]);
    yatProgress(config_texts::kProgressCommandByte, answer[wire::kHeaderSize + 1], answer[wire::kHeaderSize + 2]);
    int32_t read = 0;
    int32_t result = decodePortAnswer(answer, wire::kBufferSize, &read);
    if (result == ERR_SUCCESS) {
        yatProgress(config_texts::kProgressValue, static_cast<unsigned>(read));
        *value = read;
    }
    return result;
}

int32_t setTCPNetworkPort(cSvcProcCfg& command, cBusComm* comm, int32_t node, uint8_t port, uint16_t newPort) {
    const uint8_t data[netwire::kPortBytes] = {static_cast<uint8_t>(newPort >> 8),
                                               static_cast<uint8_t>(newPort & 0xFF)};
    yatLog(config_texts::kTagCSvcProcCfgSetNetworkPort, config_texts::kSettingThePortToFromNewPort, port, data[0],
           data[1], newPort);
    if (command.buildSPCommand(netwire::kPortCommand, wire::kSet, &port, data, 1, 2) == nullptr) {
        return ERR_INVALID_PARAMETER;
    }
    int32_t sent = command.send(comm, node);
    if (sent != ERR_SUCCESS) return sent;
    return spStatusResult(command.answerStatus());
}
