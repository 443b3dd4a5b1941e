#pragma once
// Shared helpers of the system information tests: summary vectors, VPD images and a library object
// built over a scripted comm device.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "frame/libyat.h"
#include "yat/result_codes.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "sysinfo/eeprom_parser.h"
#include "sysinfo/firmware_parser.h"

namespace sysinfotest {

using yattest::Bytes;

// A 4-byte capability vector.
inline Bytes capability(uint16_t id) { return {static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), 0, 0}; }
// The VSS type vector.
inline Bytes typeVector(uint8_t type) { return {0x10, 0x01, 0x00, type}; }

inline Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Writes text into bytes at offset (no terminator).
inline void put(Bytes& bytes, size_t offset, const std::string& text) {
    if (bytes.size() < offset + text.size()) bytes.resize(offset + text.size());
    std::memcpy(bytes.data() + offset, text.data(), text.size());
}

// A well-formed EEPROM image of size bytes.
inline Bytes eepromImage(const std::string& part, const std::string& fru, const std::string& serial,
                         const std::string& manufacturer, size_t size = 96) {
    Bytes image(size, 0);
    put(image, eeprom::kSignatureOffset, eeprom::kSignature);
    image[eeprom::kLayoutVersionOffset] = eeprom::kLayoutVersion;
    put(image, eeprom::kPartNumberOffset, part);
    put(image, eeprom::kFruNumberOffset, fru);
    put(image, eeprom::kSerialNumberOffset, serial);
    put(image, eeprom::kManufacturerIdOffset, manufacturer);
    return image;
}

// A well-formed firmware image descriptor.
inline Bytes firmwareImage(const std::string& version, const std::string& buildId, const std::string& fileName) {
    Bytes image(fwimage::kMinImageSize, 0);
    put(image, fwimage::kSignatureOffset, fwimage::kSignature);
    image[fwimage::kLayoutVersionOffset] = fwimage::kLayoutVersion;
    put(image, fwimage::kVersionOffset, version);
    put(image, fwimage::kBuildIdOffset, buildId);
    put(image, fwimage::kFileNameOffset, fileName);
    return image;
}

// A library object over a FakeComm whose "1.2" answer is the given summary (or unanswered).
class LibraryTest : public ::testing::Test {
protected:
    // Scripts "1.2" with the summary data, then creates the library; the requests of construction
    // are forgotten so tests see only their own.
    void open(const Bytes& summary) {
        comm.answer("1.2", summary);
        openAsIs();
    }
    void openAsIs() {
        lib = std::make_unique<cLibYAT>(&comm);
        comm.clearRequests();
    }
    // Requests of the given command, in order.
    std::vector<yattest::Request> requestsOf(const std::string& command) const {
        std::vector<yattest::Request> result;
        for (const auto& request : comm.requests()) {
            if (request.command == command) result.push_back(request);
        }
        return result;
    }

    yattest::LogCapture log;
    yattest::FakeComm comm;
    std::unique_ptr<cLibYAT> lib;
};

}  // namespace sysinfotest
