// yatctl ports: the SP's TCP port numbers of each node (getNetworkPort). `ports set N PORT` writes
// port number N of one node (--node, default 0) with setNetworkPort, which restarts the SP so that the
// new port takes effect, and shows the port read back.

#include <CLI/CLI.hpp>

#include "yatctl/node_option.h"
#include "yatctl/sensor_words.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

// Port numbers probed when listing; those the SP does not know are left out.
constexpr int32_t kMostPortNumbers = 16;

Document readPorts(Session& session, uint32_t node) {
    Document rows = Document::array();
    int32_t firstFailure = 0;
    for (int32_t number = 0; number < kMostPortNumbers; ++number) {
        int32_t value = 0;
        int32_t result = session.library().getNetworkPort(static_cast<int32_t>(node), number, &value);
        if (result == 0) {
            rows.push_back(Document{{"number", number}, {"name", portName(number)}, {"port", value}});
        } else if (firstFailure == 0) {
            firstFailure = result;
        }
    }
    // Not every number is in use; only a node without any readable port is a failure.
    if (rows.empty()) rows.push_back(Document{{"result", session.check(firstFailure)}});
    return rows;
}

class PortsCommand final : public Subcommand {
public:
    std::string name() const override { return "ports"; }
    std::string description() const override { return "The SP's TCP port numbers; `ports set N PORT` changes one"; }
    void addOptions(CLI::App& app) override {
        node_.add(app);
        CLI::App& set = set_.add(app, "Write TCP port number N (the SP restarts to apply it)");
        set.add_option("number", number_, "Port number N: 1 HTTP, 2 HTTPS, 3 Telnet, 4 SSH, 5 SNMP agent, 6 SNMP traps")
            ->required()
            ->check(CLI::Range(kFirstPortNumber, kLastPortNumber));
        set.add_option("port", port_, "New TCP port (1 to 65535)")->required()->check(CLI::Range(1, 65535));
    }
    void validate(Session& session) override {
        node_.validate(session);
        set_.validate(session);
    }

    void run(Session& session, Document& doc) override {
        if (set_.chosen()) {
            const int32_t node = static_cast<int32_t>(set_.node());
            doc["node"] = set_.node();
            doc["number"] = number_;
            doc["name"] = portName(number_);
            doc["result"] = session.check(session.library().setNetworkPort(node, number_, port_));
            int32_t value = 0;
            int32_t read = session.library().getNetworkPort(node, number_, &value);
            if (read == 0) doc["port"] = value;
            return;
        }
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session))
            nodes.push_back(Document{{"node", node}, {"ports", readPorts(session, node)}});
        doc["nodes"] = nodes;
    }

private:
    NodeOption node_;
    ChangeOption set_;
    int32_t number_ = 0;
    int32_t port_ = 0;
};

}  // namespace

std::unique_ptr<Subcommand> makePortsCommand() { return std::make_unique<PortsCommand>(); }

}  // namespace yatctl
