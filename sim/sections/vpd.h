#pragma once
// Section "vpd": the system UUID ("4.3.a") and the EEPROM images of the VPD devices, which go to the
// node's VPD store: the planar ("4.3.5.2.1", which also holds the chassis machine type, model and
// serial), the chassis record "4.3.5.2.4.1", the SP ("4.3.5.3.1"), power supplies ("4.3.5.c.n"),
// drives ("4.3.5.e.n") and any other device by its command.

#include <optional>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

struct VpdSection {
    std::optional<Bytes> uuid;  // 16 bytes; absent: "4.3.a" answers "not present"

    static void load(const Field& field, NodeState& node);
};

}  // namespace yatsim
