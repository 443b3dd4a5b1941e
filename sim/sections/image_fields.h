#pragma once
// Shared by the section loaders that put images into the VPD store: an image is either given whole
// ("hex") or rendered from its fields, and may carry a read limit.

#include <functional>

#include "sim/json_field.h"
#include "sim/node_state.h"

namespace yatsim {

// Largest image a device may hold: what fits an answer behind the longest VPD command.
inline constexpr size_t kMaxImageSize = 4000;

// The device described by field: its "hex" image when given, else render(); "maxReadLength" when
// given (the field must be an object; the caller checks the other members).
VpdDevice imageDevice(const Field& field, const std::function<Bytes()>& render);

}  // namespace yatsim
