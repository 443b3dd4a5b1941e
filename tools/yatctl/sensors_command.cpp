// yatctl sensors: runs the library's sensor discovery (initSensors) as a host does and shows every
// sensor it announced, read back through the query operations: node, class, sensor number, type,
// location, instance, reading, limits and status. Node numbers are the library's (node index + 1, or
// the multi-node ID + 1 on larger systems).

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <set>
#include <tuple>

#include "yat/codes.h"
#include "yat/device_lib.h"
#include "yatctl/host_sink.h"
#include "yatctl/sensor_words.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

constexpr int32_t kDiscoveryCode = yat::kReportDiscovered;  // what discovery passes to reportSensor

// A value in its slot as the class reads it: an integer, or a float for voltages.
Document slotValue(int32_t sensorClass, const int32_t& slot) {
    if (sensorClass != 2) return slot;
    float volts;
    std::memcpy(&volts, &slot, sizeof volts);
    return std::round(static_cast<double>(volts) * 100.0) / 100.0;
}

std::string withUnit(int32_t sensorClass, const Document& value) {
    char text[48];
    if (sensorClass == yat::kClassVoltage) {
        std::snprintf(text, sizeof text, "%.2f %s", value.get<double>(), classInfo(sensorClass).unit);
    } else {
        std::snprintf(text, sizeof text, "%d %s", value.get<int32_t>(), classInfo(sensorClass).unit);
    }
    return text;
}

struct Discovery {
    int32_t result = 0;
    Document rows = Document::array();
};

// Runs discovery with sink and reads back every sensor it announced.
Discovery discover(Session& session, HostSink& sink, bool human) {
    cDeviceLib& library = session.library();
    Discovery discovery;
    discovery.result = session.check(library.initSensors(&sink));
    std::set<std::tuple<int32_t, int32_t, int32_t>> sensors;  // node, class, sensor number
    for (const HostSink::Announcement& a : sink.announcements()) {
        if (a.code != kDiscoveryCode || a.sensorClass < yat::kClassTemperature ||
            a.sensorClass > yat::kClassPowerSupply || !a.first)
            continue;
        sensors.emplace(a.node, a.sensorClass, *a.first);  // the first value is the sensor number
    }
    for (const auto& [node, sensorClass, sensor] : sensors) {
        const ClassInfo& info = classInfo(sensorClass);
        Document row{{"node", node}, {"class", info.name}, {"sensor", sensor}};
        int32_t type = 0, location = 0, instance = 0;
        row["type"] = library.getSensorType(sensorClass, node, sensor, &type) == 0 ? Document(type) : Document(nullptr);
        row["location"] = library.getSensorLocation(sensorClass, node, sensor, &location) == 0 ? Document(location)
                                                                                               : Document(nullptr);
        row["instance"] = library.getSensorInstance(sensorClass, node, sensor, &instance) == 0 ? Document(instance)
                                                                                               : Document(nullptr);
        int32_t status = 0, reading = 0, lower = 0, upper = 0;
        int32_t result = library.getSensorStatus(sensorClass, node, sensor, &status, &reading, &lower, &upper);
        bool values = result == 0 && sensorClass != 4;
        Document readingValue = values ? slotValue(sensorClass, reading) : Document(nullptr);
        Document lowerValue = values ? slotValue(sensorClass, lower) : Document(nullptr);
        Document upperValue = values ? slotValue(sensorClass, upper) : Document(nullptr);
        if (human) {
            row["reading"] = values ? Document(withUnit(sensorClass, readingValue)) : Document(nullptr);
            row["lower"] = values ? Document(withUnit(sensorClass, lowerValue)) : Document(nullptr);
            row["upper"] = values ? Document(withUnit(sensorClass, upperValue)) : Document(nullptr);
            row["status"] = result == 0 ? statusWord(sensorClass, status) : "not readable";
        } else {
            row["reading"] = readingValue;
            row["unit"] = info.unit;
            row["lower"] = lowerValue;
            row["upper"] = upperValue;
            row["status"] = result == 0 ? Document(status) : Document(nullptr);
            row["statusText"] = result == 0 ? statusWord(sensorClass, status) : "not readable";
            row["result"] = result;
        }
        discovery.rows.push_back(row);
    }
    return discovery;
}

class SensorsCommand final : public Subcommand {
public:
    std::string name() const override { return "sensors"; }
    std::string description() const override {
        return "Discovers the sensors and shows each with its reading, limits and status";
    }
    void addOptions(CLI::App& app) override { stateDir_.add(app); }

    void run(Session& session, Document& doc) override {
        HostSink sink(stateDir_.registryFile());
        Discovery discovery = discover(session, sink, !session.options().json);
        doc["result"] = discovery.result;
        doc["registryFile"] = sink.registryFile();
        if (!sink.registryError().empty()) {
            doc["registryError"] = sink.registryError();
            std::cerr << "yatctl: --state-dir: " << sink.registryError() << "; the registry texts are not kept\n";
        }
        doc["sensors"] = discovery.rows;
    }

    // Per node: how many sensors of each class, and how many are not normal. The registry texts of
    // the report's run are not kept.
    void addToReport(Session& session, Document& doc) override {
        HostSink sink;
        Discovery discovery = discover(session, sink, false);
        Document nodes = Document::array();
        for (const Document& row : discovery.rows) {
            if (nodes.empty() || nodes.back()["node"] != row["node"]) {
                nodes.push_back(Document{{"node", row["node"]},
                                         {"temperature", 0},
                                         {"voltage", 0},
                                         {"fan", 0},
                                         {"power", 0},
                                         {"attention", 0}});
            }
            Document& counts = nodes.back();
            counts[row["class"].get<std::string>()] = counts[row["class"].get<std::string>()].get<int>() + 1;
            std::string word = row["statusText"].get<std::string>();
            if (word != "normal" && word != "good" && word != "not checked") {
                counts["attention"] = counts["attention"].get<int>() + 1;
            }
        }
        if (discovery.result != 0) doc["sensorsResult"] = discovery.result;
        doc["sensors"] = nodes;
    }

private:
    StateDirOption stateDir_;
};

}  // namespace

std::unique_ptr<Subcommand> makeSensorsCommand() { return std::make_unique<SensorsCommand>(); }

}  // namespace yatctl
