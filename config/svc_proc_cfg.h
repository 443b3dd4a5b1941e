#pragma once
// cSvcProcCfg: the command object of the SP's own service settings: its TCP port numbers and the
// global login settings (password policy, login setting). No fields of its own; the operations that
// use it build, send and decode it as every cSPCmd.

#include "commands/sp_cmd.h"

class cSvcProcCfg final : public cSPCmd {};
