// yatctl vpd: machine VPD (UUID, machine type, model, serial number), POST/BIOS VPD, and the VPD
// records of the server's devices, read through the library's operations.

#include <CLI/CLI.hpp>

#include "yat/vpd.h"
#include "yat/vpd_records.h"
#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

struct DeviceKind {
    int32_t kind;
    const char* name;
    int32_t instances;  // surveyed instances 1 .. instances (the survey stops at the first absent one)
};

// The devices the survey reads: EEPROM records first, firmware image records after.
constexpr DeviceKind kDevices[] = {
    {17, "planar", 1},
    {16, "SP", 1},
    {9, "power supply", 8},
    {7, "drive", 8},
};
constexpr DeviceKind kFirmwareImages[] = {
    {18, "SP firmware image", 1},
    {19, "SP boot image", 1},
    {20, "SP backup image", 1},
    {21, "device driver", 1},
};

// Fixed-width texts of the host records: up to the first zero byte, at most size characters.
std::string fixedText(const char* text, size_t size) {
    size_t length = 0;
    while (length < size && text[length] != '\0') ++length;
    return std::string(text, length);
}

Document machineVpd(Session& session, uint32_t node) {
    MachineVPDInfo info{};
    int32_t result = session.check(session.library().getMachineVPD(static_cast<int32_t>(node), &info));
    Document machine{{"result", result}};
    if (result == 0) {
        machine["uuid"] = fixedText(info.uuid, sizeof info.uuid);
        machine["machineType"] = fixedText(info.machineType, 4);
        machine["model"] = fixedText(info.model, 3);
        machine["serialNumber"] = fixedText(info.serialNumber, 7);
    }
    return machine;
}

Document postBiosVpd(Session& session, uint32_t node) {
    PostBiosVPDInfo info{};
    int32_t result = session.check(session.library().getPostBiosVPD(static_cast<int32_t>(node), &info));
    Document bios{{"result", result}};
    if (result == 0) {
        bios["buildId"] = fixedText(info.buildId, sizeof info.buildId);
        bios["serialNumber"] = fixedText(info.serialNumber, sizeof info.serialNumber);
        bios["machineTypeModel"] = fixedText(info.machineTypeModel, sizeof info.machineTypeModel);
        bios["buildDate"] = fixedText(info.buildDate, sizeof info.buildDate);
        bios["revision"] = info.revision;
    }
    return bios;
}

// One getVPDData read as a row; its result is returned through *result.
Document deviceVpd(Session& session, uint32_t node, int32_t kind, int32_t instance, const char* name, int32_t* result) {
    VPD vpd;
    *result = session.library().getVPDData(static_cast<int32_t>(node), kind, instance, &vpd);
    Document row{{"kind", kind}, {"instance", instance}, {"device", name}, {"result", *result}};
    if (*result != 0) return row;
    if (kind >= 18) {
        row["version"] = vpd.get_FIRMWARE_IMAGE_VERSION();
        row["buildId"] = vpd.get_FIRMWARE_IMAGE_BUILD_ID();
        row["fileName"] = vpd.get_FIRMWARE_IMAGE_FILENAME();
    } else {
        row["partNumber"] = vpd.get_EEPROM_PART_NUMBER();
        row["fruNumber"] = vpd.get_EEPROM_FRU_NUMBER();
        row["serialNumber"] = vpd.get_EEPROM_SERIAL_NUMBER();
        row["manufacturerId"] = vpd.get_EEPROM_MANUFACTURER_ID();
    }
    return row;
}

// The survey rows of one list: every instance up to the first one that is not there (an absent
// device is no failure; the first instance of a single-instance kind is shown either way).
void survey(Session& session, uint32_t node, const DeviceKind* begin, const DeviceKind* end, Document& rows) {
    for (const DeviceKind* device = begin; device != end; ++device) {
        for (int32_t instance = 1; instance <= device->instances; ++instance) {
            int32_t result = 0;
            Document row = deviceVpd(session, node, device->kind, instance, device->name, &result);
            if (result != 0 && instance > 1) break;
            rows.push_back(row);
            if (result != 0) break;
        }
    }
}

class VpdCommand final : public Subcommand {
public:
    std::string name() const override { return "vpd"; }
    std::string description() const override {
        return "Machine and POST/BIOS VPD and the VPD of the server's devices (or one --kind/--instance)";
    }
    void addOptions(CLI::App& app) override {
        node_.add(app);
        app.add_option("--kind", kind_, "Read only this VPD kind (2-21)")->check(CLI::Range(0, 255));
        app.add_option("--instance", instance_, "Instance for --kind (default 1)")->check(CLI::Range(0, 255));
    }
    void validate(Session& session) override {
        node_.validate(session);
        if (instance_ && !kind_) throw UsageError("--instance needs --kind");
    }

    void run(Session& session, Document& doc) override {
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) {
            Document entry{{"node", node}};
            if (kind_) {
                int32_t result = 0;
                Document row = deviceVpd(session, node, *kind_, instance_.value_or(1), "requested", &result);
                session.check(result);
                entry["devices"] = Document::array({row});
            } else {
                entry["machine"] = machineVpd(session, node);
                entry["postBios"] = postBiosVpd(session, node);
                Document devices = Document::array();
                survey(session, node, std::begin(kDevices), std::end(kDevices), devices);
                entry["devices"] = devices;
                Document images = Document::array();
                survey(session, node, std::begin(kFirmwareImages), std::end(kFirmwareImages), images);
                entry["firmwareImages"] = images;
            }
            nodes.push_back(entry);
        }
        doc["nodes"] = nodes;
    }

    void addToReport(Session& session, Document& doc) override {
        Document machines = Document::array();
        Document devices = Document::array();
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            Document machine = machineVpd(session, node);
            Document line{{"node", node}};
            line.update(machine);
            machines.push_back(line);
            Document rows = Document::array();
            survey(session, node, std::begin(kDevices), std::end(kDevices), rows);
            for (Document& row : rows) {
                Document compact{
                    {"node", node},
                    {"device", row["device"].get<std::string>() + " " + std::to_string(row["instance"].get<int>())}};
                for (const char* key : {"result", "partNumber", "fruNumber", "serialNumber"}) {
                    if (row.contains(key)) compact[key] = row[key];
                }
                devices.push_back(compact);
            }
        }
        doc["machine"] = machines;
        doc["vpd"] = devices;
    }

private:
    NodeOption node_;
    std::optional<int32_t> kind_;
    std::optional<int32_t> instance_;
};

}  // namespace

std::unique_ptr<Subcommand> makeVpdCommand() { return std::make_unique<VpdCommand>(); }

}  // namespace yatctl
