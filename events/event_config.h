#pragma once
// One event configuration entry of a node's list: a long-lived command object tied to one alert.
// The list stays empty until event configuration is read.

#include "commands/sp_cmd.h"

class cEventConfig final : public cSPCmd {};
