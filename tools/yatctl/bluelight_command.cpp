// yatctl bluelight: shows the locator light's state byte of each node (or of --node N), after setting
// it when a value is given: on (1), off (0) or a byte 0-255.

#include <CLI/CLI.hpp>
#include <cstdlib>
#include <optional>

#include "yat/device_lib.h"
#include "yatctl/node_option.h"
#include "yatctl/sensor_words.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

class BluelightCommand final : public Subcommand {
public:
    std::string name() const override { return "bluelight"; }
    std::string description() const override {
        return "Shows the locator light's state byte, or sets it (on, off or a byte)";
    }
    void addOptions(CLI::App& app) override {
        node_.add(app);
        app.add_option("value", value_, "on, off, or a byte 0-255 (decimal or 0x..) to set");
    }
    void validate(Session& session) override {
        node_.validate(session);
        if (!value_) return;
        if (*value_ == "on") {
            byte_ = 1;
        } else if (*value_ == "off") {
            byte_ = 0;
        } else {
            char* end = nullptr;
            unsigned long number = std::strtoul(value_->c_str(), &end, 0);
            if (value_->empty() || *end != '\0' || number > 255 || value_->front() == '-') {
                throw UsageError("bluelight " + *value_ + ": expected on, off or a byte 0-255");
            }
            byte_ = static_cast<int32_t>(number);
        }
    }

    void run(Session& session, Document& doc) override {
        cDeviceLib& library = session.library();
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) {
            Document row{{"node", node}};
            if (byte_) row["setResult"] = session.check(library.setBluelightStatus(static_cast<int32_t>(node), *byte_));
            int32_t state = 0;
            int32_t result = session.check(library.getBluelightStatus(static_cast<int32_t>(node), &state));
            row["result"] = result;
            row["state"] = result == 0 ? Document(state) : Document(nullptr);
            if (result == 0) row["stateName"] = locatorWord(state);
            nodes.push_back(row);
        }
        doc["nodes"] = nodes;
    }

private:
    NodeOption node_;
    std::optional<std::string> value_;
    std::optional<int32_t> byte_;
};

}  // namespace

std::unique_ptr<Subcommand> makeBluelightCommand() { return std::make_unique<BluelightCommand>(); }

}  // namespace yatctl
