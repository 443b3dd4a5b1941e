#include "sim/sections/vpd.h"

#include "sim/images.h"
#include "sim/layouts.h"
#include "sim/sections/image_fields.h"

namespace yatsim {

namespace {

using namespace layout;

struct Machine {
    std::string type;
    std::string model;
    std::string serial;
};

// An EEPROM device from its fields (or "hex"); "command" is allowed where the caller names the device.
VpdDevice loadEeprom(const Field& field, bool withCommand) {
    field.expectObject(
        {"command", "partNumber", "fruNumber", "serialNumber", "manufacturerId", "hex", "maxReadLength"});
    if (!withCommand && field["command"].present())
        field["command"].fail("unknown field here; the slot names the device");
    return imageDevice(field, [&] {
        EepromFields eeprom;
        eeprom.partNumber = field["partNumber"].text(eeprom::kPartNumberSize, "");
        eeprom.fruNumber = field["fruNumber"].text(eeprom::kFruNumberSize, "");
        eeprom.serialNumber = field["serialNumber"].text(eeprom::kSerialNumberSize, "");
        eeprom.manufacturerId = field["manufacturerId"].text(eeprom::kManufacturerIdSize, "");
        return renderEeprom(eeprom);
    });
}

// The planar EEPROM; the chassis fields default to the machine's.
VpdDevice loadPlanar(const Field& field, const Machine& machine) {
    field.expectObject({"serialNumber", "manufacturerId", "partNumber", "fruNumber", "machineType", "model",
                        "machineSerial", "hex", "maxReadLength"});
    return imageDevice(field, [&] {
        PlanarFields planar;
        planar.serialNumber = field["serialNumber"].text(vpdwire::kPlanarSerialSize, "");
        planar.manufacturerId = field["manufacturerId"].text(vpdwire::kPlanarManufacturerIdSize, "");
        planar.partNumber = field["partNumber"].text(vpdwire::kPlanarTextSize, "");
        planar.fruNumber = field["fruNumber"].text(vpdwire::kPlanarTextSize, "");
        planar.machineType = field["machineType"].text(vpdwire::kMachineTypeSize, machine.type);
        planar.model = field["model"].text(vpdwire::kModelSize, machine.model);
        planar.machineSerial = field["machineSerial"].text(vpdwire::kChassisSerialSize, machine.serial);
        return renderPlanar(planar);
    });
}

// Devices numbered from 1 in an array; null entries are empty slots.
void loadNumbered(const Field& list, const std::string& prefix, NodeState& node) {
    if (list.size() > 255) list.fail("expected at most 255 devices");
    for (size_t i = 0; i < list.size(); ++i) {
        Field entry = list.at(i);
        if (!entry.present()) continue;
        node.vpdDevices()[prefix + dottedText(Bytes{static_cast<uint8_t>(i + 1)})] = loadEeprom(entry, false);
    }
}

}  // namespace

void VpdSection::load(const Field& field, NodeState& node) {
    field.expectObject({"uuid", "machine", "planar", "sp", "powerSupplies", "dasd", "devices"});
    VpdSection vpd;
    if (field["uuid"].present()) {
        vpd.uuid = field["uuid"].hex(vpdwire::kUUIDSize);
        if (vpd.uuid->size() != vpdwire::kUUIDSize) field["uuid"].fail("expected 16 bytes in hexadecimal (32 digits)");
    }

    Machine machine;
    Field machineField = field["machine"];
    machineField.expectObject({"type", "model", "serialNumber"});
    machine.type = machineField["type"].text(vpdwire::kMachineTypeSize, "");
    machine.model = machineField["model"].text(vpdwire::kModelSize, "");
    machine.serial = machineField["serialNumber"].text(vpdwire::kChassisSerialSize, "");
    auto& devices = node.vpdDevices();
    if (machineField.present())
        devices["4.3.5.2.4.1"] = VpdDevice{renderChassis(machine.type, machine.model, machine.serial), 0};

    if (field["planar"].present()) devices["4.3.5.2.1"] = loadPlanar(field["planar"], machine);
    if (field["sp"].present()) devices["4.3.5.3.1"] = loadEeprom(field["sp"], false);
    loadNumbered(field["powerSupplies"], "4.3.5.c.", node);
    loadNumbered(field["dasd"], "4.3.5.e.", node);

    Field list = field["devices"];
    for (size_t i = 0; i < list.size(); ++i) {
        Field entry = list.at(i);
        Bytes command = entry["command"].dotted();
        if (command.size() < 4 || command[0] != 4 || command[1] != 3 || command[2] != 5) {
            entry["command"].fail("expected a VPD read command beginning with 4.3.5 and at least one more byte");
        }
        devices[dottedText(command)] = loadEeprom(entry, true);
    }
    node.install(std::move(vpd));
}

}  // namespace yatsim
