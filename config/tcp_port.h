#pragma once
// The SP's TCP port numbers ("4.d.x", two bytes, most significant first), read and written through a
// cSvcProcCfg command object. A port change takes effect when the SP restarts.
//
// Called by NetworkSettings on a host thread; sends SP commands, so never with a lock held.

#include <cstddef>
#include <cstdint>

class cBusComm;
class cSvcProcCfg;

// Decodes a whole "4.d.x" answer buffer of size bytes: a status byte other than SpStatus::kOk gives
// that status (spStatusResult); a buffer shorter than its header, or an answer whose data hold fewer
// than two bytes, gives ERR_BAD_ANSWER; else value = A[0] * 256 + A[1] and ERR_SUCCESS. value is
// untouched unless the result is ERR_SUCCESS.
[[nodiscard]] int32_t decodePortAnswer(const uint8_t* answer, size_t size, int32_t* value);

// Reads TCP port number port (0-255) of node into value. Prints its progress lines on standard
// output. Results: ERR_SUCCESS; the transport code when the send failed; the SP's status byte when
// it is not 0; ERR_BAD_ANSWER (2) for an answer without the two bytes.
[[nodiscard]] int32_t getTCPNetworkPortData(cSvcProcCfg& command, cBusComm* comm, int32_t node, uint8_t port,
                                            int32_t* value);

// Writes newPort (0-65535) as TCP port number port of node. Results: ERR_SUCCESS; the transport
// code when the send failed; the SP's status byte when it is not 0.
[[nodiscard]] int32_t setTCPNetworkPort(cSvcProcCfg& command, cBusComm* comm, int32_t node, uint8_t port,
                                        uint16_t newPort);
