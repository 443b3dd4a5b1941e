// yatctl smtp: the SP's mail server and its SMTP switch on each node (getSMTPConfiguration,
// getRemoteAlertConfiguration). `smtp set SERVER` writes the server of one node (--node, default 0)
// with setSMTPConfiguration; a text the SP cannot hold is refused by the library (exit 1).

#include <CLI/CLI.hpp>
#include <cstring>

#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

constexpr size_t kServerSize = 64;

Document readSmtp(Session& session, uint32_t node) {
    cDeviceLib& library = session.library();
    char server[kServerSize] = {};
    uint32_t maxSize = 0;
    Document row{{"node", node}};
    int32_t result = session.check(library.getSMTPConfiguration(static_cast<int32_t>(node), 0, server, &maxSize));
    row["result"] = result;
    if (result != 0) return row;
    row["server"] = std::string(server, strnlen(server, sizeof server));
    row["maxLength"] = maxSize;
    uint8_t enabled = 0;
    int32_t flag = session.check(
        library.getRemoteAlertConfiguration(static_cast<int32_t>(node), nullptr, nullptr, nullptr, nullptr, &enabled));
    if (flag == 0) {
        row["enabled"] = enabled != 0;
    } else {
        row["result"] = flag;
    }
    return row;
}

class SmtpCommand final : public Subcommand {
public:
    std::string name() const override { return "smtp"; }
    std::string description() const override { return "The SP's SMTP server; `smtp set SERVER` changes it"; }
    void addOptions(CLI::App& app) override {
        node_.add(app);
        CLI::App& set = set_.add(app, "Write the SMTP server (at most 63 characters)");
        set.add_option("server", server_, "Server name or address")->required();
    }
    void validate(Session& session) override {
        node_.validate(session);
        set_.validate(session);
    }

    void run(Session& session, Document& doc) override {
        if (set_.chosen()) {
            doc["node"] = set_.node();
            doc["result"] = session.check(
                session.library().setSMTPConfiguration(static_cast<int32_t>(set_.node()), 0, server_.c_str()));
            doc["now"] = readSmtp(session, set_.node());
            return;
        }
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) nodes.push_back(readSmtp(session, node));
        doc["nodes"] = nodes;
    }

    // Added to the network section of the report: one column per node.
    void addToReport(Session& session, Document& doc) override {
        if (!doc.contains("network")) return;
        for (Document& row : doc["network"]) {
            Document smtp = readSmtp(session, row["node"].get<uint32_t>());
            row["smtp"] = smtp.contains("server") ? smtp["server"] : Document("result " + smtp["result"].dump());
        }
    }

private:
    NodeOption node_;
    ChangeOption set_;
    std::string server_;
};

}  // namespace

std::unique_ptr<Subcommand> makeSmtpCommand() { return std::make_unique<SmtpCommand>(); }

}  // namespace yatctl
