#include "sim/sections/image_fields.h"

namespace yatsim {

VpdDevice imageDevice(const Field& field, const std::function<Bytes()>& render) {
    VpdDevice device;
    device.image = field["hex"].present() ? field["hex"].hex(kMaxImageSize) : render();
    device.maxReadLength = static_cast<uint32_t>(field["maxReadLength"].integer(1, 0xFFFF, 0));
    return device;
}

}  // namespace yatsim
