#include "sim/sections/firmware.h"

#include "sim/images.h"
#include "sim/layouts.h"
#include "sim/sections/image_fields.h"

namespace yatsim {

namespace {

BiosFields loadBios(const Field& field) {
    field.expectObject({"buildId", "serialNumber", "machineType", "model", "buildDate", "revision", "hex"});
    BiosFields bios;
    bios.buildId = field["buildId"].text(fwwire::kLongBuildIdSize, "");
    bios.serialNumber = field["serialNumber"].text(fwwire::kLongSerialSize, "");
    bios.machineType = field["machineType"].text(vpdwire::kMachineTypeSize, "");
    bios.model = field["model"].text(vpdwire::kModelSize, "");
    bios.buildDate = field["buildDate"].text(fwwire::kLongBuildDateSize, "");
    bios.revision = static_cast<uint8_t>(field["revision"].integer(0, 255, 0));
    return bios;
}

// A firmware image of "4.3.5.6.x": the SP firmware identifier layout or the image descriptor layout.
Bytes renderFirmwareImage(const Field& field, const char* defaultLayout) {
    std::string layout = field["layout"].text(16, defaultLayout);
    if (layout == "identifier") {
        field.expectObject({"layout", "buildId", "buildDate", "revision", "hex"});
        FirmwareIdFields id;
        id.buildId = field["buildId"].text(fwwire::kShortBuildIdSize, "");
        id.buildDate = field["buildDate"].text(fwwire::kShortBuildDateSize, "");
        id.revision = static_cast<uint8_t>(field["revision"].integer(0, 255, 0));
        return renderFirmwareId(id);
    }
    if (layout == "descriptor") {
        field.expectObject({"layout", "version", "buildId", "fileName", "hex"});
        DescriptorFields descriptor;
        descriptor.version = field["version"].text(fwimage::kVersionSize, "");
        descriptor.buildId = field["buildId"].text(fwimage::kBuildIdSize, "");
        descriptor.fileName = field["fileName"].text(fwimage::kFileNameSize, "");
        return renderDescriptor(descriptor);
    }
    field["layout"].fail("expected identifier or descriptor");
}

IpmiDeviceId loadIpmi(const Field& field) {
    field.expectObject({"deviceId", "deviceRevision", "major", "minor", "ipmiVersion", "additionalSupport",
                        "manufacturerId", "productId", "auxiliary"});
    IpmiDeviceId id;
    id.deviceId = static_cast<uint8_t>(field["deviceId"].integer(0, 255, 0));
    id.deviceRevision = static_cast<uint8_t>(field["deviceRevision"].integer(0, 15, 0));
    id.major = static_cast<uint8_t>(field["major"].integer(0, 127));
    id.minor = static_cast<uint8_t>(field["minor"].integer(0, 99));
    id.ipmiVersion = static_cast<uint8_t>(field["ipmiVersion"].integer(0, 255, 0x02));
    id.additionalSupport = static_cast<uint8_t>(field["additionalSupport"].integer(0, 255, 0));
    id.manufacturerId = static_cast<uint32_t>(field["manufacturerId"].integer(0, 0xFFFFF));
    id.productId = static_cast<uint16_t>(field["productId"].integer(0, 0xFFFF));
    id.auxiliary = Bytes(layout::kDeviceIdAuxiliaryLength, 0);
    if (field["auxiliary"].present()) {
        Bytes aux = field["auxiliary"].hex(layout::kDeviceIdAuxiliaryLength);
        std::copy(aux.begin(), aux.end(), id.auxiliary.begin());
    }
    return id;
}

}  // namespace

void FirmwareSection::load(const Field& field, NodeState& node) {
    field.expectObject({"bios", "biosBackup", "sp", "spBoot", "spBackup", "driverRevision", "ipmi", "revisions"});
    auto& devices = node.vpdDevices();
    struct BiosSlot {
        const char* name;
        const char* command;
    };
    for (BiosSlot slot : {BiosSlot{"bios", "4.3.5.1"}, BiosSlot{"biosBackup", "4.3.5.1.1"}}) {
        Field image = field[slot.name];
        if (image.present()) devices[slot.command] = imageDevice(image, [&] { return renderBios(loadBios(image)); });
    }
    // "4.3.5.6.1" is read both as the SP firmware identifier and as a firmware image; one layout serves.
    struct FirmwareSlot {
        const char* name;
        const char* command;
        const char* layout;
    };
    for (FirmwareSlot slot :
         {FirmwareSlot{"sp", "4.3.5.6.1", "identifier"}, FirmwareSlot{"spBoot", "4.3.5.6.2", "descriptor"},
          FirmwareSlot{"spBackup", "4.3.5.6.3", "descriptor"}}) {
        Field image = field[slot.name];
        if (image.present()) {
            devices[slot.command] = imageDevice(image, [&] { return renderFirmwareImage(image, slot.layout); });
        }
    }
    if (field["driverRevision"].present()) {
        std::string text = field["driverRevision"].text(64);
        Bytes image(text.begin(), text.end());
        image.push_back(0);
        devices["4.3.5.a"] = VpdDevice{image, 0};
    }

    FirmwareSection firmware;
    if (field["ipmi"].present()) firmware.ipmi = loadIpmi(field["ipmi"]);
    Field revisions = field["revisions"];
    for (size_t i = 0; i < revisions.size(); ++i) {
        Field entry = revisions.at(i);
        entry.expectObject({"component", "revision"});
        uint8_t component = static_cast<uint8_t>(entry["component"].integer(0, 255));
        Field bytes = entry["revision"];
        if (bytes.size() != layout::kRevisionBytes) bytes.fail("expected an array of four integers from 0 to 255");
        Bytes revision;
        for (size_t k = 0; k < bytes.size(); ++k) revision.push_back(static_cast<uint8_t>(bytes.at(k).integer(0, 255)));
        firmware.revisions[component] = revision;
    }
    node.install(std::move(firmware));
}

}  // namespace yatsim
