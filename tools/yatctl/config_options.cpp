#include "yatctl/config_options.h"

#include <termios.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstring>
#include <istream>
#include <iostream>

#include "yatctl/session.h"

namespace yatctl {

void TargetNode::add(CLI::App& app) { app.add_option("--node", node_, "Node to change (0-based, default 0)"); }

uint32_t TargetNode::value(Session& session) const {
    if (node_ >= session.nodeCount()) {
        throw UsageError("--node " + std::to_string(node_) + ": the scenario has nodes 0 to " +
                         std::to_string(session.nodeCount() - 1));
    }
    return node_;
}

std::optional<bool> onOff(const std::string& option, const std::optional<std::string>& value) {
    if (!value) return std::nullopt;
    if (*value == "on" || *value == "1" || *value == "yes") return true;
    if (*value == "off" || *value == "0" || *value == "no") return false;
    throw UsageError(option + " \"" + *value + "\": expected on or off");
}

std::string readSecretFrom(std::istream& in, const std::string& what, size_t capacity) {
    const std::string tooLong = what + ": longer than " + std::to_string(capacity) + " characters; refused";
    std::string secret;
    bool anything = false;
    for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
        anything = true;
        if (c == '\n') break;
        if (c == '\0') throw UsageError(what + ": holds a NUL byte; refused");
        secret += static_cast<char>(c);
        // The longest secret and a \r of its line end: anything more is refused at once, without
        // reading the rest, so an endless source ends here too.
        if (secret.size() > capacity + 1) throw UsageError(tooLong);
    }
    if (!anything) throw UsageError(what + ": nothing on standard input");
    if (!secret.empty() && secret.back() == '\r') secret.pop_back();
    if (secret.size() > capacity) throw UsageError(tooLong);
    return secret;
}

std::string readSecretLine(const std::string& prompt, size_t capacity) {
    bool terminal = isatty(STDIN_FILENO) != 0;
    termios saved{};
    if (terminal) {
        std::cerr << prompt << ": " << std::flush;
        if (tcgetattr(STDIN_FILENO, &saved) == 0) {
            termios quiet = saved;
            quiet.c_lflag &= static_cast<tcflag_t>(~ECHO);
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
        } else {
            terminal = false;
        }
    }
    // Echo comes back however the read ends.
    struct Restore {
        bool terminal;
        const termios& saved;
        ~Restore() {
            if (!terminal) return;
            tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
            std::cerr << "\n";
        }
    } restore{terminal, saved};
    return readSecretFrom(std::cin, prompt, capacity);
}

Document& accessRow(Document& doc, uint32_t node) {
    Document& rows = doc["access"];
    if (!rows.is_array()) rows = Document::array();
    for (Document& row : rows) {
        if (row["node"] == node) return row;
    }
    rows.push_back(Document{{"node", node}});
    return rows.back();
}

Document reportCell(const Document& read, const char* key) {
    if (read.value("result", 0) != 0) return read["result"];
    return read.contains(key) ? read[key] : Document(nullptr);
}

std::string bufferText(const char* buffer, size_t size) { return std::string(buffer, strnlen(buffer, size)); }

}  // namespace yatctl
