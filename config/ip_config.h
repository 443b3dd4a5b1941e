#pragma once
// cIPConfig: the command object of a network interface's settings (DHCP switch, static and
// DHCP-assigned address, mask and gateway, the further text item), and the conversion of dotted
// address texts into the four bytes the SP takes. cSPUtilities: the SP restart ("7.4").
//
// Short-lived locals of the caller; one thread at a time.

#include <cstddef>
#include <cstdint>

#include "commands/sp_cmd.h"

class cBusComm;

class cIPConfig final : public cSPCmd {
public:
    // Converts dotted text into bytes (the callers pass a 5-byte buffer and size 5). Each part up to
    // a dot gives one byte: the low 8 bits of its decimal value (leading blanks and a sign allowed,
    // no digits give 0). While a dot follows and count + 1 <= size a part is stored; then the rest
    // is stored when count + 1 < size. Returns ERR_SUCCESS when exactly four parts were stored, else
    // ERR_BAD_ANSWER (2) (also for a null text or buffer). So "10.1.2.3.99" gives 10 1 2 3; "10.1.2" and "1.2.3.4.5.6"
    // fail; "300.1.1.1" gives 44 1 1 1. Never writes more than size bytes.
    [[nodiscard]] static int32_t convertIPStringToData(const char* text, uint8_t* buffer, int32_t size);

    // Builds a get of the interface command dotCommand ("4.9.1.x...") for interface iface (0-255).
    uint8_t* buildGet(const char* dotCommand, uint8_t iface);
    // Builds a set of dotCommand for interface iface with size data bytes.
    uint8_t* buildSet(const char* dotCommand, uint8_t iface, const uint8_t* data, int32_t size);

    // The answer check passed and the answer data hold count bytes.
    bool answerHolds(size_t count) const;
    // The answer as dotted address text into text (16 bytes): ERR_SUCCESS, or ERR_BAD_ANSWER (2) (text
    // untouched) when the answer check fails or the answer holds fewer than four bytes.
    [[nodiscard]] int32_t answerAddress(char* text);
    // Answer byte 0 into value: ERR_SUCCESS, or ERR_BAD_ANSWER (2) (value untouched) as answerAddress.
    [[nodiscard]] int32_t answerByte(int32_t* value);
};

class cSPUtilities final : public cSPCmd {
public:
    // Sends the "7.4" restart to node; the outcome is not examined (the SP goes away to restart).
    void resetServiceProcessor(cBusComm* comm, int32_t node);
};
