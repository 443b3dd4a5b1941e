#pragma once
// Shared pieces of the configuration tests: a scripted comm device, the log, and the requests of one
// command.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/fake_comm.h"
#include "kit/log_reader.h"

namespace configtest {

using yattest::Bytes;

inline Bytes text(const std::string& value, bool terminator = false) {
    Bytes bytes(value.begin(), value.end());
    if (terminator) bytes.push_back(0);
    return bytes;
}

class ConfigTest : public ::testing::Test {
protected:
    std::vector<yattest::Request> sets() const {
        std::vector<yattest::Request> result;
        for (const auto& request : comm.requests()) {
            if (request.type == 0) result.push_back(request);
        }
        return result;
    }
    // "command=data as text" of every set request, in order.
    std::vector<std::string> setLog() const {
        std::vector<std::string> result;
        for (const auto& request : sets()) {
            std::string data;
            for (uint8_t byte : request.data) data += byte >= 0x20 && byte < 0x7f ? static_cast<char>(byte) : '#';
            result.push_back(request.command + "=" + data);
        }
        return result;
    }

    yattest::LogCapture log;
    yattest::FakeComm comm{2};
};

}  // namespace configtest
