// yatctl report: everything the library can tell about the simulated server on one screen — the
// report views of all other subcommands, in their order.

#include "yat/device_lib.h"
#include "yatctl/sensor_words.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

class ReportCommand final : public Subcommand {
public:
    explicit ReportCommand(std::vector<Subcommand*> parts) : parts_(std::move(parts)) {}

    std::string name() const override { return "report"; }
    std::string description() const override { return "Everything available about the server on one screen"; }

    void run(Session& session, Document& doc) override {
        cDeviceLib& library = session.library();
        int32_t type = 0;
        int32_t result = session.check(library.getSPType(&type));
        if (session.sim() != nullptr) {
            const yatsim::Scenario& scenario = session.sim()->scenario();
            doc["scenario"] = scenario.description.empty() ? scenario.source : scenario.description;
        }
        doc["comm"] = session.commDescription();
        doc["library"] = session.libraryPath();
        doc["nodeCount"] = library.getNodeCount();
        if (session.options().json) {
            doc["spType"] = type;
            doc["spTypeName"] = spTypeWord(type);
        } else {
            doc["spType"] = spTypeWord(type) + " (" + std::to_string(type) + ")";
        }
        if (result != 0) doc["spTypeResult"] = result;
        for (Subcommand* part : parts_) part->addToReport(session, doc);
    }

private:
    std::vector<Subcommand*> parts_;
};

}  // namespace

std::unique_ptr<Subcommand> makeReportCommand(const std::vector<Subcommand*>& parts) {
    return std::make_unique<ReportCommand>(parts);
}

}  // namespace yatctl
