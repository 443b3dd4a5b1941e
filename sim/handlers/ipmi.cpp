// The IPMI passthru "ff.12.5": the request data are an IPMI request (network function, command,
// request bytes) and the answer data the IPMI response, completion code first. The simulated SP
// knows Get Device ID and the firmware component revision request; anything else completes with
// "invalid command" (SP status 0: the passthru itself worked).

#include "platform/byte_reader.h"
#include "sim/handlers/handlers.h"
#include "sim/layouts.h"
#include "sim/sections/firmware.h"

namespace yatsim {

namespace {

using namespace layout;

Bytes deviceId(const IpmiDeviceId& id) {
    Bytes data(kDeviceIdSize, 0);
    data[fwwire::kIPMICompletionCode] = kIpmiCompletionOk;
    data[kDeviceIdIdOffset] = id.deviceId;
    data[kDeviceIdRevisionOffset] = id.deviceRevision;
    data[fwwire::kIPMIMajorRevision] = id.major & 0x7F;
    data[fwwire::kIPMIMinorRevision] = static_cast<uint8_t>(((id.minor / 10) << 4) | (id.minor % 10));
    data[kDeviceIdIpmiVersionOffset] = id.ipmiVersion;
    data[kDeviceIdSupportOffset] = id.additionalSupport;
    data[fwwire::kIPMIManufacturerId] = static_cast<uint8_t>(id.manufacturerId & 0xFF);
    data[fwwire::kIPMIManufacturerId + 1] = static_cast<uint8_t>((id.manufacturerId >> 8) & 0xFF);
    data[fwwire::kIPMIManufacturerId + 2] = static_cast<uint8_t>((id.manufacturerId >> 16) & 0x0F);
    data[fwwire::kIPMIProductId] = static_cast<uint8_t>(id.productId & 0xFF);
    data[fwwire::kIPMIProductId + 1] = static_cast<uint8_t>(id.productId >> 8);
    for (size_t i = 0; i < kDeviceIdAuxiliaryLength && i < id.auxiliary.size(); ++i) {
        data[kDeviceIdAuxiliaryOffset + i] = id.auxiliary[i];
    }
    return data;
}

Answer passthru(NodeState& node, const Request& request) {
    if (request.type != wire::kSet && request.type != wire::kGet) return Answer::failure(spstatus::kInvalidRequest);
    ByteReader ipmi(request.data.data(), request.data.size());
    if (!ipmi.has(0, kIpmiRequestDataOffset)) return Answer::failure(spstatus::kInvalidRequest);
    uint8_t netFn = ipmi.u8(kIpmiNetFnOffset);
    uint8_t command = ipmi.u8(kIpmiCommandOffset);
    size_t requestBytes = ipmi.size() - kIpmiRequestDataOffset;
    const FirmwareSection& firmware = node.section<FirmwareSection>();

    if (netFn == fwwire::kIPMIGetDeviceId[0] && command == fwwire::kIPMIGetDeviceId[1] && firmware.ipmi) {
        if (requestBytes != 0) return Answer::ok({kIpmiRequestLengthInvalid});
        return Answer::ok(deviceId(*firmware.ipmi));
    }
    if (netFn == fwwire::kIPMIRevisionNetFn && command == fwwire::kIPMIRevisionCommand) {
        if (requestBytes != 1) return Answer::ok({kIpmiRequestLengthInvalid});
        auto revision = firmware.revisions.find(ipmi.u8(kIpmiRequestDataOffset));
        if (revision == firmware.revisions.end()) return Answer::ok({kIpmiParameterOutOfRange});
        Bytes data{kIpmiCompletionOk};
        data.insert(data.end(), revision->second.begin(), revision->second.end());
        return Answer::ok(std::move(data));
    }
    return Answer::ok({kIpmiInvalidCommand});
}

}  // namespace

void registerIpmiHandlers(HandlerTable& table) { table.add("ff.12.5", passthru); }

}  // namespace yatsim
