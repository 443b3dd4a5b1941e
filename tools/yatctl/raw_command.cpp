// yatctl raw: sends one command through the comm device (not through the library) and shows the
// answer bytes. The dot command and the data are checked before anything is sent.

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstring>

#include "yat/command_buffer.h"
#include "sim/dotted.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"

namespace yatctl {

namespace {

class RawCommand final : public Subcommand {
public:
    std::string name() const override { return "raw"; }
    std::string description() const override {
        return "Send one dot command through the comm device and show the answer bytes";
    }
    void addOptions(CLI::App& app) override {
        app.add_option("command", dotted_, "Dot command of hexadecimal bytes, such as 4.3.6")->required();
        app.add_option("--type", type_, "Request type: get, set or next")->check(CLI::IsMember({"get", "set", "next"}));
        app.add_option("--data", data_, "Request data in hexadecimal, two digits per byte");
        app.add_option("--node", node_, "Node to send to (0-based)");
    }

    void validate(Session& session) override {
        std::optional<yatsim::Bytes> command = yatsim::parseDotted(dotted_);
        if (!command) {
            throw UsageError("malformed dot command \"" + dotted_ + "\": expected 1 to " +
                             std::to_string(wire::kMaxCommandBytes) +
                             " hexadecimal bytes separated by dots, such as 4.3.6");
        }
        command_ = *command;
        std::optional<yatsim::Bytes> data = yatsim::parseHex(data_);
        if (!data) throw UsageError("--data \"" + data_ + "\": expected hexadecimal digits, two per byte");
        requestData_ = *data;
        if (requestData_.size() > wire::kBufferSize - wire::kHeaderSize - command_.size()) {
            throw UsageError("--data: more bytes than fit a command buffer");
        }
        if (node_ >= session.nodeCount()) {
            throw UsageError("--node " + std::to_string(node_) + ": the scenario has nodes 0 to " +
                             std::to_string(session.nodeCount() - 1));
        }
    }

    void run(Session& session, Document& doc) override {
        uint8_t type = type_ == "set" ? wire::kSet : type_ == "next" ? wire::kGetNext : wire::kGet;
        uint8_t buffer[wire::kBufferSize] = {};
        buffer[wire::kTypeOffset] = type;
        buffer[wire::kCommandLengthOffset] = static_cast<uint8_t>(command_.size());
        buffer[wire::kDataLengthOffset] = static_cast<uint8_t>(requestData_.size() & 0xFF);
        buffer[wire::kDataLengthOffset + 1] = static_cast<uint8_t>(requestData_.size() >> 8);
        std::memcpy(buffer + wire::kHeaderSize, command_.data(), command_.size());
        if (!requestData_.empty()) {
            std::memcpy(buffer + wire::kHeaderSize + command_.size(), requestData_.data(), requestData_.size());
        }
        doc["request"] = Document{{"node", node_},
                                  {"type", type_},
                                  {"command", yatsim::dottedText(command_)},
                                  {"data", yatsim::hexText(requestData_, true)}};

        uint32_t result = session.comm().sendCommand(static_cast<int32_t>(node_), buffer);
        doc["sendResult"] = result;
        if (result != 0) {
            session.markFailed();
            return;
        }
        // Whatever the answer claims, show only what lies inside the buffer.
        size_t echoed = std::min<size_t>(buffer[wire::kCommandLengthOffset], wire::kBufferSize - wire::kHeaderSize);
        size_t length = wire::boundedDataLength(buffer, echoed);
        const uint8_t* data = buffer + wire::kHeaderSize + echoed;
        doc["answer"] =
            Document{{"type", buffer[wire::kTypeOffset]},
                     {"commandLength", buffer[wire::kCommandLengthOffset]},
                     {"dataLength", wire::dataLength(buffer)},
                     {"status", buffer[wire::kStatusOffset]},
                     {"command", yatsim::dottedText(buffer + wire::kHeaderSize, std::min<size_t>(echoed, 32))},
                     {"data", yatsim::hexText(data, length, true)}};
        if (buffer[wire::kStatusOffset] != 0) session.markFailed();
    }

private:
    std::string dotted_;
    std::string type_ = "get";
    std::string data_;
    uint32_t node_ = 0;
    yatsim::Bytes command_;
    yatsim::Bytes requestData_;
};

}  // namespace

std::unique_ptr<Subcommand> makeRawCommand() { return std::make_unique<RawCommand>(); }

}  // namespace yatctl
