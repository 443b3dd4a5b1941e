// yatctl network: the SP's network interfaces (DHCP switch, where the addresses come from, address,
// mask, gateway, the interface text), read with getDHCPEnable, getIPConfigInfo and getIPConfigString.
// `network set --interface N` changes the DHCP switch (setDHCPEnable) and the static address, mask
// and gateway (setIPConfigInfo) of one node (--node, default 0) and shows the interface read back.

#include <CLI/CLI.hpp>
#include <cstring>
#include <optional>

#include "yatctl/node_option.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

// Interfaces are numbered from 1; without --interface those that answer are shown, up to this many.
constexpr int32_t kMostInterfaces = 8;
constexpr size_t kAddressText = 16;
constexpr int32_t kInterfaceText = 256;

std::string text(const char* buffer, size_t size) { return std::string(buffer, strnlen(buffer, size)); }

Document readInterface(Session& session, uint32_t node, int32_t iface) {
    cDeviceLib& library = session.library();
    const int32_t n = static_cast<int32_t>(node);
    Document row{{"interface", iface}};
    int32_t dhcp = 0;
    int32_t result = session.check(library.getDHCPEnable(n, iface, &dhcp));
    row["result"] = result;
    if (result != 0) return row;
    row["dhcp"] = dhcp != 0 ? "on" : "off";
    char address[kAddressText] = {}, mask[kAddressText] = {}, gateway[kAddressText] = {};
    int32_t source = 0;
    // The texts are those in use: the DHCP-assigned ones while a lease is held, else the static ones.
    result = session.check(library.getIPConfigInfo(n, iface, address, mask, gateway, &source));
    if (result == 0) {
        row["address"] = text(address, sizeof address);
        row["mask"] = text(mask, sizeof mask);
        row["gateway"] = text(gateway, sizeof gateway);
    } else {
        row["result"] = result;
    }
    char item[kInterfaceText] = {};
    if (library.getIPConfigString(n, iface, item, kInterfaceText) == 0) row["text"] = text(item, sizeof item);
    return row;
}

class NetworkCommand final : public Subcommand {
public:
    std::string name() const override { return "network"; }
    std::string description() const override {
        return "The SP's network interfaces; `network set --interface N ...` changes one";
    }
    void addOptions(CLI::App& app) override {
        node_.add(app);
        app.add_option("--interface", interface_, "Only this interface (1 to " + std::to_string(kMostInterfaces) + ")")
            ->check(CLI::Range(1, kMostInterfaces));
        CLI::App& set = set_.add(app, "Change the DHCP switch or the static address of one interface");
        set.add_option("--interface", setInterface_,
                       "Interface to change (1 to " + std::to_string(kMostInterfaces) + ")")
            ->required()
            ->check(CLI::Range(1, kMostInterfaces));
        set.add_option("--dhcp", dhcp_, "DHCP on or off")->check(CLI::IsMember({"on", "off"}));
        set.add_option("--address", address_, "Static address a.b.c.d");
        set.add_option("--mask", mask_, "Static subnet mask a.b.c.d");
        set.add_option("--gateway", gateway_, "Static gateway a.b.c.d");
    }
    void validate(Session& session) override {
        node_.validate(session);
        if (!set_.chosen()) return;
        set_.validate(session);
        if (!dhcp_ && !address_ && !mask_ && !gateway_) {
            throw UsageError("network set: give --dhcp, --address, --mask or --gateway");
        }
    }

    void run(Session& session, Document& doc) override {
        if (set_.chosen()) {
            change(session, doc);
            return;
        }
        Document nodes = Document::array();
        for (uint32_t node : node_.nodes(session)) {
            nodes.push_back(Document{{"node", node}, {"interfaces", interfaces(session, node)}});
        }
        doc["nodes"] = nodes;
    }

    // One line per node: each interface's address in use and whether DHCP is on.
    void addToReport(Session& session, Document& doc) override {
        Document rows = Document::array();
        for (uint32_t node = 0; node < session.nodeCount(); ++node) {
            std::string summary;
            for (Document& row : interfaces(session, node)) {
                if (!summary.empty()) summary += ", ";
                summary += std::to_string(row["interface"].get<int32_t>()) + ": ";
                summary += row.contains("address")
                               ? row["address"].get<std::string>() + " dhcp " + row["dhcp"].get<std::string>()
                               : "result " + std::to_string(row["result"].get<int32_t>());
            }
            rows.push_back(Document{{"node", node}, {"interfaces", summary}});
        }
        doc["network"] = rows;
    }

private:
    Document interfaces(Session& session, uint32_t node) {
        Document rows = Document::array();
        if (interface_) {
            rows.push_back(readInterface(session, node, *interface_));
            return rows;
        }
        for (int32_t iface = 1; iface <= kMostInterfaces; ++iface) {
            int32_t dhcp = 0;
            // Probing: the first interface that does not answer ends the list (not a failure).
            if (iface > 1 && session.library().getDHCPEnable(static_cast<int32_t>(node), iface, &dhcp) != 0) break;
            rows.push_back(readInterface(session, node, iface));
        }
        return rows;
    }

    void change(Session& session, Document& doc) {
        cDeviceLib& library = session.library();
        const int32_t node = static_cast<int32_t>(set_.node());
        doc["node"] = set_.node();
        doc["interface"] = setInterface_;
        if (dhcp_)
            doc["dhcpResult"] = session.check(library.setDHCPEnable(node, setInterface_, *dhcp_ == "on" ? 1 : 0));
        if (address_ || mask_ || gateway_) {
            auto given = [](const std::optional<std::string>& value) { return value ? value->c_str() : nullptr; };
            doc["addressResult"] = session.check(
                library.setIPConfigInfo(node, setInterface_, given(address_), given(mask_), given(gateway_)));
        }
        doc["now"] = readInterface(session, set_.node(), setInterface_);
    }

    NodeOption node_;
    std::optional<int32_t> interface_;
    ChangeOption set_;
    int32_t setInterface_ = 0;
    std::optional<std::string> dhcp_;
    std::optional<std::string> address_;
    std::optional<std::string> mask_;
    std::optional<std::string> gateway_;
};

}  // namespace

std::unique_ptr<Subcommand> makeNetworkCommand() { return std::make_unique<NetworkCommand>(); }

}  // namespace yatctl
