#pragma once
// Helpers of the configuration subcommands (snmp, alerts, accounts, password-policy, login-policy):
// the node a change goes to, on/off switches, secrets read from standard input and texts taken from
// fixed-size library buffers.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "yatctl/subcommand.h"

namespace CLI {
class App;
}

namespace yatctl {

class Session;

// The node a `set` acts on: --node, default 0 (UsageError when the scenario has no such node).
class TargetNode {
public:
    void add(CLI::App& app);
    uint32_t value(Session& session) const;

private:
    uint32_t node_ = 0;
};

// "on"/"off" (also "1"/"0", "yes"/"no") into a flag; UsageError otherwise. Nothing for an absent option.
std::optional<bool> onOff(const std::string& option, const std::optional<std::string>& value);

// The capacities of the secrets the library takes (the sizes it reports for them).
inline constexpr size_t kPasswordCapacity = 15;       // account and alert recipient passwords
inline constexpr size_t kCommunityNameCapacity = 15;  // SNMP community names

// Reads one line from standard input (without its line end) for a secret of at most capacity
// characters. When standard input is a terminal, prompts on standard error and turns echo off while
// reading. UsageError on end of input, a NUL byte, or a line longer than capacity — refused as soon
// as the capacity is passed, without reading further. The secret never goes into the argument list,
// the output or any message.
std::string readSecretLine(const std::string& prompt, size_t capacity);
// The reading part of readSecretLine, from in; what names the secret in messages.
std::string readSecretFrom(std::istream& in, const std::string& what, size_t capacity);

// The report's one-line-per-node "access" table that the configuration subcommands share: the row of
// node (created on first use), to which each adds its own few columns.
Document& accessRow(Document& doc, uint32_t node);
// A report cell: the value, or the result's number when the read failed.
Document reportCell(const Document& read, const char* key);

// The text in a library buffer of size bytes, up to its first zero byte (never past the buffer).
std::string bufferText(const char* buffer, size_t size);

}  // namespace yatctl
