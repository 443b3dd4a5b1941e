#pragma once
// Helpers of the fuzz targets that drive library operations: the library's log switched off (a
// fuzzer runs millions of inputs), a private copy of exactly the input's bytes, so that any read
// past its end is caught by the address sanitizer, the input as a file, and a comm device that
// answers from the input.

#include <cstddef>
#include <cstdint>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/runtime.h"
#include "yat/bus_comm.h"
#include "yat/command_buffer.h"
#include "yat/sensor_sink.h"

namespace fuzzsupport {

// Turns the library's log and progress lines off and its waits to nothing, once per process.
inline void quietLibraryLog() {
    static const bool done = [] {
        RuntimeSettings settings = runtimeSettings();
        settings.logEnabled = false;
        settings.stdoutMode = StdoutMode::Off;
        settings.sleepScale = 0;  // retries and pauses take no time
        setRuntimeSettings(settings);
        return true;
    }();
    (void)done;
}

// Requires a zero byte within text's first size bytes.
inline void requireTerminated(const char* text, size_t size) {
    if (std::memchr(text, 0, size) == nullptr) std::abort();
}

inline std::unique_ptr<uint8_t[]> exactCopy(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[size == 0 ? 1 : size]);
    if (size > 0) std::memcpy(copy.get(), data, size);
    return copy;
}

// This process's scratch file, made on first use in the temporary folder and removed at exit.
inline const std::string& scratchPath() {
    static const std::string path = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "yat-fuzz-XXXXXX").string();
        int fd = mkstemp(pattern.data());
        if (fd < 0) std::abort();
        close(fd);
        std::atexit([] { std::remove(scratchPath().c_str()); });
        return pattern;
    }();
    return path;
}

// Writes the input into the scratch file and returns its path, for the readers of files.
inline const char* inputAsFile(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(scratchPath().c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    return scratchPath().c_str();
}

// A sensor sink that only counts the reports.
class CountingSink final : public cSensorSink {
public:
    int32_t reportSensor(int32_t, int32_t, int32_t, void*, void*, void*, int32_t, const char*) override {
        ++calls;
        return 0;
    }
    int32_t addRegistryText(const char*, const char*) override { return 0; }
    int32_t findRegistryText(const char*) override { return 0; }
    size_t calls = 0;
};

// A comm device whose answers come from the input, one per request, in order. Each answer is
//   byte 0     mode: 0 well formed, 1 raw, 2 transport failure (sendCommand returns 5)
//   byte 1     status (well formed)
//   bytes 2-3  length n of what follows, least significant byte first (cut to the input's rest)
//   n bytes    well formed: the answer data, written after the echoed command bytes, with the data
//              length field set to n; raw: written over the buffer from offset 0 (the rest of the
//              buffer keeps the request)
// Other modes count as well formed. Past the input every request answers status kStatusAfterEnd,
// so that list reads end. The device has nodeCount nodes and refuses event registration.
class ScriptedComm final : public cBusComm {
public:
    static constexpr uint8_t kStatusAfterEnd = wire::kStatusUnavailable;

    ScriptedComm(const uint8_t* data, size_t size, uint32_t nodeCount = 2)
        : data_(data), size_(size), nodeCount_(nodeCount) {
        setDeviceID(99);
    }

    uint32_t sendCommand(int32_t, uint8_t* buffer) override {
        ++sends;
        uint8_t mode = 0, status = kStatusAfterEnd;
        size_t length = 0;
        const uint8_t* body = nullptr;
        if (position_ + 4 <= size_) {
            mode = data_[position_];
            status = data_[position_ + 1];
            length = data_[position_ + 2] | (data_[position_ + 3] << 8);
            position_ += 4;
            if (length > size_ - position_) length = size_ - position_;
            body = data_ + position_;
            position_ += length;
        }
        if (mode == 2) return 5;
        if (mode == 1) {
            std::memcpy(buffer, body, length < wire::kBufferSize ? length : wire::kBufferSize);
            return 0;
        }
        size_t start = wire::kHeaderSize + buffer[wire::kCommandLengthOffset];
        size_t room = wire::kBufferSize - start;
        if (length > room) length = room;
        buffer[wire::kTypeOffset] = wire::kAnswer;
        buffer[wire::kDataLengthOffset] = static_cast<uint8_t>(length);
        buffer[wire::kDataLengthOffset + 1] = static_cast<uint8_t>(length >> 8);
        buffer[wire::kStatusOffset] = status;
        if (length > 0) std::memcpy(buffer + start, body, length);
        return 0;
    }
    uint32_t registerForEvents(uint32_t, uint8_t*) override { return 10; }
    uint32_t deRegisterForEvents(uint32_t) override { return 0; }
    uint32_t getNodeCount() override { return nodeCount_; }

    size_t sends = 0;

private:
    const uint8_t* data_;
    size_t size_;
    uint32_t nodeCount_;
    size_t position_ = 0;
};

}  // namespace fuzzsupport
