// The VPD family: every "4.3.5..." command reads (or writes) one image of the node's VPD store, and
// "4.3.a" reads the system UUID.
//
// A get without data reads the whole image; a get with 4 data bytes (offset, length) reads that
// window, cut at the end of the image, and is refused with status 7 when the length exceeds the
// device's read limit. A set with data (offset, bytes) writes into the image. A command without an
// image answers "not present" (status 2).

#include <algorithm>

#include "platform/byte_reader.h"
#include "sim/handlers/handlers.h"
#include "sim/layouts.h"
#include "sim/sections/vpd.h"

namespace yatsim {

namespace {

using namespace layout;

Answer readImage(const VpdDevice& device, const Request& request) {
    if (request.data.empty()) return Answer::ok(device.image);
    if (request.data.size() != kVpdRequestSize) return Answer::failure(spstatus::kInvalidRequest);
    ByteReader window(request.data.data(), request.data.size());
    size_t offset = window.u16le(kVpdRequestOffset);
    size_t length = window.u16le(kVpdRequestLength);
    if (device.maxReadLength != 0 && length > device.maxReadLength) return Answer::failure(spstatus::kUnavailable);
    if (offset >= device.image.size()) return Answer::ok();
    size_t end = std::min(device.image.size(), offset + length);
    return Answer::ok(Bytes(device.image.begin() + static_cast<std::ptrdiff_t>(offset),
                            device.image.begin() + static_cast<std::ptrdiff_t>(end)));
}

Answer writeImage(VpdDevice& device, const Request& request) {
    ByteReader write(request.data.data(), request.data.size());
    if (!write.has(0, kVpdRequestLength + 1)) return Answer::failure(spstatus::kInvalidRequest);
    size_t offset = write.u16le(kVpdRequestOffset);
    size_t count = write.size() - kVpdRequestLength;
    if (offset > device.image.size() || count > device.image.size() - offset) {
        return Answer::failure(spstatus::kInvalidRequest);
    }
    write.copy(kVpdRequestLength, count, device.image.data() + offset);
    return Answer::ok();
}

Answer vpdCommand(NodeState& node, const Request& request) {
    auto device = node.vpdDevices().find(request.dotted());
    if (device == node.vpdDevices().end()) return Answer::failure(spstatus::kNotPresent);
    if (request.type == wire::kGet) return readImage(device->second, request);
    if (request.type == wire::kSet) return writeImage(device->second, request);
    return Answer::failure(spstatus::kInvalidRequest);
}

}  // namespace

void registerVpdHandlers(HandlerTable& table) {
    table.addFamily("4.3.5", vpdCommand);
    table.add("4.3.a", [](NodeState& node, const Request& request) {
        const VpdSection& vpd = node.section<VpdSection>();
        return answers::readWrite(
            request, [&] { return vpd.uuid ? Answer::ok(*vpd.uuid) : Answer::failure(spstatus::kNotPresent); });
    });
}

}  // namespace yatsim
