#pragma once
// The --node option shared by the subcommands that read per node: one node, or every node.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace yatctl {

class Session;

class NodeOption {
public:
    void add(CLI::App& app);
    // UsageError when the node is not one of the scenario's.
    void validate(Session& session) const;
    // The chosen node, or every node of the session.
    std::vector<uint32_t> nodes(Session& session) const;
    std::optional<uint32_t> value() const { return node_; }

private:
    std::optional<uint32_t> node_;
};

// The "set" subcommand of a subcommand that also changes what it shows, with its --node option: the
// chosen node, or node 0.
class ChangeOption {
public:
    // Adds "set" with --node to parent; returns it for the caller's own options.
    CLI::App& add(CLI::App& parent, const std::string& description);
    bool chosen() const;
    // UsageError when "set" was chosen with a node the scenario does not have.
    void validate(Session& session) const;
    uint32_t node() const { return node_; }

private:
    CLI::App* app_ = nullptr;
    uint32_t node_ = 0;
};

}  // namespace yatctl
