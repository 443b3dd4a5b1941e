#pragma once
// cEventConfig: one event configuration entry of a node, tied to one row of the alert table by its
// position (-1: no row). Type, description and description size come from the table; the enable
// state lives on the SP only and is read or written on every call (never cached).
//
// A command object with its own buffer: one thread at a time. getEnabled and setEnabled send an SP
// command; call them with no lock held.
//
// Results:
//   getType, getDescription    ERR_INVALID_INDEX (7) "invalid index" without a row;
//                              ERR_INVALID_PARAMETER (12) "invalid parameter" for a null output; else
//                              ERR_SUCCESS.
//   getDescMaxSize             ERR_INVALID_PARAMETER (12) for a null output; else 64 and ERR_SUCCESS.
//   getEnabled                 ERR_INVALID_INDEX (7) without a row; ERR_INVALID_PARAMETER (12) for a
//                              null output; else the read of the group's enable command: ERR_SUCCESS,
//                              the transport code, ERR_BAD_ANSWER (2) when the answer fails the answer
//                              check.
//   setEnabled                 ERR_INVALID_INDEX (7) without a row; ERR_SUCCESS without sending for a
//                              local event (group 4); else the transport code, ERR_BAD_ANSWER (2) for
//                              a refused write (a status other than SpStatus::kOk), or ERR_SUCCESS.

#include <cstdint>

#include "commands/sp_cmd.h"

class cBusComm;

class cEventConfig final : public cSPCmd {
public:
    explicit cEventConfig(int32_t position = -1) : position_(position) {}

    int32_t position() const { return position_; }

    [[nodiscard]] int32_t getType(int32_t* type) const;
    // Copies the row's description with its terminator into buffer, at most 64 bytes in all.
    [[nodiscard]] int32_t getDescription(char* buffer) const;
    [[nodiscard]] int32_t getDescMaxSize(int32_t* size) const;
    // enabled becomes 1 when the SP's enable byte is non-zero, else 0.
    [[nodiscard]] int32_t getEnabled(cBusComm* comm, int32_t node, uint8_t* enabled);
    // Writes 1 for any non-zero value, else 0.
    [[nodiscard]] int32_t setEnabled(cBusComm* comm, int32_t node, uint8_t value);

private:
    int32_t position_;
};
