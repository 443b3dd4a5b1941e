#pragma once
// cSMTPConfiguration and cRemoteAlertConfig: the command objects of the SP's mail server item and its
// global remote-alert settings. Both are read and written with the generic transfers of cSPCmd
// (readData, readValue32, writeData, writeValue32); the layouts are in config/network_wire.h.

#include <cstdint>

#include "commands/sp_cmd.h"

class cSMTPConfiguration final : public cSPCmd {
public:
    // The longest server text the SP keeps (characters, without the terminator).
    static uint32_t getIPAddressMaxSize();
};

class cRemoteAlertConfig final : public cSPCmd {};
