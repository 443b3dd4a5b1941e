#include "yatctl/node_option.h"

#include <CLI/CLI.hpp>

#include "yatctl/session.h"

namespace yatctl {

namespace {

void requireNode(Session& session, uint32_t node) {
    if (node >= session.nodeCount()) {
        throw UsageError("--node " + std::to_string(node) + ": the scenario has nodes 0 to " +
                         std::to_string(session.nodeCount() - 1));
    }
}

}  // namespace

void NodeOption::add(CLI::App& app) { app.add_option("--node", node_, "Only this node (0-based)"); }

void NodeOption::validate(Session& session) const {
    if (node_) requireNode(session, *node_);
}

std::vector<uint32_t> NodeOption::nodes(Session& session) const {
    if (node_) return {*node_};
    std::vector<uint32_t> all;
    for (uint32_t node = 0; node < session.nodeCount(); ++node) all.push_back(node);
    return all;
}

CLI::App& ChangeOption::add(CLI::App& parent, const std::string& description) {
    app_ = parent.add_subcommand("set", description);
    app_->add_option("--node", node_, "Node to change (0-based, default 0)");
    return *app_;
}

bool ChangeOption::chosen() const { return app_ != nullptr && app_->parsed(); }

void ChangeOption::validate(Session& session) const {
    if (chosen()) requireNode(session, node_);
}

}  // namespace yatctl
