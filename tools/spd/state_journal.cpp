#include "tools/spd/state_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "sim/sim_bus_comm.h"
#include "yat/command_buffer.h"

namespace yatspd {

namespace {

constexpr int kFormat = 1;

// The part of a request buffer that carries meaning: header, command bytes, data.
std::vector<uint8_t> requestBytes(const uint8_t* buffer) {
    size_t commandBytes = std::min<size_t>(buffer[wire::kCommandLengthOffset], wire::kMaxCommandBytes);
    size_t length = wire::kHeaderSize + commandBytes + wire::boundedDataLength(buffer, commandBytes);
    return {buffer, buffer + length};
}

// Two requests write the same thing when node, type and command bytes agree.
bool sameTarget(const StateJournal::Write& write, int32_t node, const std::vector<uint8_t>& request) {
    if (write.node != node || write.request.size() < wire::kHeaderSize) return false;
    size_t commandBytes = request[wire::kCommandLengthOffset];
    if (write.request[wire::kTypeOffset] != request[wire::kTypeOffset] ||
        write.request[wire::kCommandLengthOffset] != commandBytes) {
        return false;
    }
    return std::equal(request.begin() + wire::kHeaderSize, request.begin() + wire::kHeaderSize + commandBytes,
                      write.request.begin() + wire::kHeaderSize);
}

std::string toHex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

std::vector<uint8_t> fromHex(const std::string& text) {
    if (text.size() % 2 != 0 || text.size() > 2 * wire::kBufferSize) throw std::runtime_error("bad request text");
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < text.size(); i += 2) {
        auto nibble = [](char c) -> int {
            if (c >= '0' && c <= '9') return c - '0';
            if (c >= 'a' && c <= 'f') return c - 'a' + 10;
            throw std::runtime_error("bad request text");
        };
        bytes.push_back(static_cast<uint8_t>(nibble(text[i]) * 16 + nibble(text[i + 1])));
    }
    return bytes;
}

}  // namespace

void StateJournal::load() {
    writes_.clear();
    std::ifstream in(path_, std::ios::binary);
    if (!in) {
        if (!std::filesystem::exists(path_)) return;
        throw std::runtime_error(path_ + ": cannot be read");
    }
    try {
        nlohmann::json document = nlohmann::json::parse(in);
        if (document.value("format", 0) != kFormat) throw std::runtime_error("unknown format");
        for (const auto& entry : document.at("writes")) {
            Write write{entry.at("node").get<int32_t>(), fromHex(entry.at("request").get<std::string>())};
            if (write.request.size() < wire::kHeaderSize) throw std::runtime_error("request too short");
            writes_.push_back(std::move(write));
        }
    } catch (const std::exception& failure) {
        writes_.clear();
        throw std::runtime_error(path_ + ": not a state file (" + failure.what() + ")");
    }
}

bool StateJournal::record(int32_t node, const uint8_t* request, std::string& why) {
    std::vector<uint8_t> bytes = requestBytes(request);
    writes_.erase(std::remove_if(writes_.begin(), writes_.end(),
                                 [&](const Write& write) { return sameTarget(write, node, bytes); }),
                  writes_.end());
    writes_.push_back({node, std::move(bytes)});
    return save(why);
}

size_t StateJournal::replay(yatsim::SimBusComm& sim) const {
    size_t refused = 0;
    for (const Write& write : writes_) {
        uint8_t buffer[wire::kBufferSize] = {};
        std::copy(write.request.begin(), write.request.end(), buffer);
        if (sim.sendCommand(write.node, buffer) != kCommSuccess || buffer[wire::kStatusOffset] != 0) ++refused;
    }
    return refused;
}

bool StateJournal::save(std::string& why) const {
    nlohmann::json document;
    document["format"] = kFormat;
    document["writes"] = nlohmann::json::array();
    for (const Write& write : writes_) {
        document["writes"].push_back({{"node", write.node}, {"request", toHex(write.request)}});
    }
    std::string text = document.dump(1) + "\n";
    std::string temporary = path_ + ".tmp";
    int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        why = temporary + ": " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < text.size()) {
        ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) break;
        done += static_cast<size_t>(written);
    }
    bool ok = done == text.size() && fsync(fd) == 0;
    int error = errno;
    close(fd);
    if (!ok || rename(temporary.c_str(), path_.c_str()) != 0) {
        why = path_ + ": " + std::strerror(ok ? errno : error);
        unlink(temporary.c_str());
        return false;
    }
    std::filesystem::path folder = std::filesystem::path(path_).parent_path();
    int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        fsync(dir);  // the rename itself survives a crash
        close(dir);
    }
    return true;
}

}  // namespace yatspd
