// yatctl leds: builds the library's LED list (initGlint) and reads the LED states (getGlintStatus) as a
// host does; one row per LED: node index, location, type, index, lit or dark, and its sensors with
// mask and state. The report shows per node how many LEDs are lit and the locator light.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>

#include "yat/device_lib.h"
#include "yat/led_records.h"
#include "yatctl/node_option.h"
#include "yatctl/sensor_words.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

std::string hexByte(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02x", value);
    return text;
}

struct Panel {
    int32_t initResult = 0;
    int32_t statusResult = 0;
    GlintLEDList leds;
};

// initGlint, then getGlintStatus, with the library's progress lines kept off yatctl's output.
Panel readPanel(Session& session) {
    cDeviceLib& library = session.library();
    Panel panel;
    panel.initResult = library.initGlint();
    panel.statusResult = library.getGlintStatus(&panel.leds);
    return panel;
}

Document ledRows(const GlintLEDList& leds, bool human, std::optional<uint32_t> node) {
    Document rows = Document::array();
    for (const cGlintLED& led : leds) {
        if (node && led.node != static_cast<int32_t>(*node)) continue;
        Document row{{"node", led.node},
                     {"location", led.location},
                     {"type", led.type},
                     {"index", led.index},
                     {"state", led.state == 1 ? "lit" : "dark"}};
        if (human) {
            std::string text;
            for (const cGlintSensor& sensor : led.sensors) {
                if (!text.empty()) text += ", ";
                text +=
                    std::to_string(sensor.index) + " " + hexByte(sensor.mask) + (sensor.status == 1 ? " on" : " off");
            }
            row["sensors"] = text.empty() ? "none" : text;
        } else {
            row["busType"] = led.ledbustype;
            Document sensors = Document::array();
            for (const cGlintSensor& sensor : led.sensors) {
                sensors.push_back(Document{{"index", sensor.index},
                                           {"location", sensor.location},
                                           {"mask", sensor.mask},
                                           {"state", sensor.status == 1 ? "on" : "off"}});
            }
            row["sensors"] = sensors;
        }
        rows.push_back(row);
    }
    return rows;
}

class LedsCommand final : public Subcommand {
public:
    std::string name() const override { return "leds"; }
    std::string description() const override {
        return "Reads the diagnostic LED panel: every LED lit or dark, with its sensor bits";
    }

    void addOptions(CLI::App& app) override { node_.add(app); }
    void validate(Session& session) override { node_.validate(session); }

    void run(Session& session, Document& doc) override {
        Panel panel = readPanel(session);
        doc["initResult"] = session.check(panel.initResult);
        doc["result"] = session.check(panel.statusResult);
        doc["leds"] = ledRows(panel.leds, !session.options().json, node_.value());
    }

    // Per node: how many LEDs, how many lit, and the locator light.
    void addToReport(Session& session, Document& doc) override {
        Panel panel = readPanel(session);
        Document nodes = Document::array();
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            int32_t count = 0, lit = 0;
            for (const cGlintLED& led : panel.leds) {
                if (led.node != static_cast<int32_t>(node)) continue;
                ++count;
                if (led.state == 1) ++lit;
            }
            int32_t state = 0;
            int32_t result = session.library().getBluelightStatus(static_cast<int32_t>(node), &state);
            Document row{{"node", node}, {"leds", count}, {"lit", lit}};
            if (session.options().json) {
                row["locator"] = result == 0 ? Document(state) : Document(nullptr);
                if (result == 0) row["locatorName"] = locatorWord(state);
            } else {
                row["locator"] = result == 0 ? Document(locatorWord(state)) : Document(nullptr);
            }
            nodes.push_back(row);
        }
        if (panel.statusResult != 0) doc["ledsResult"] = panel.statusResult;
        doc["ledPanel"] = nodes;
    }

private:
    NodeOption node_;
};

}  // namespace

std::unique_ptr<Subcommand> makeLedsCommand() { return std::make_unique<LedsCommand>(); }

}  // namespace yatctl
