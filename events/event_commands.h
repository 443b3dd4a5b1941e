#pragma once
// The SP commands of monitoring: enabling one kind of asynchronous event, and reading the list of
// event codes the SP can raise. Short-lived locals of the operation that sends them; one thread each.

#include <cstdint>

#include "commands/sp_cmd.h"

// Asks the SP to send one kind of event: a set command 5.2.n with one data byte 1.
class cEnableSpEvent : public cSPCmd {
public:
    using cSPCmd::buildCommand;
    // Builds the request for event number n (5.2.n); null when it cannot be built.
    uint8_t* buildCommand(uint8_t eventNumber);
};

// The available event codes "2.7.3", one group per answer (get, then get next).
class cSPGetAvailEventCodes : public cSPCmd {
public:
    using cSPCmd::buildCommand;
    // Builds the get (first group) or get-next (next group) request.
    uint8_t* buildCommand(bool next);
    // True when code is among the codes of the last answer's group (data bounded by the answer's data
    // length and the buffer; a code 0 ends the group; an empty group never matches).
    bool CheckForEC(uint32_t code) const;
};
