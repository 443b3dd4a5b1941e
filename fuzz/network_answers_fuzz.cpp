// Fuzzes the readers of network and SMTP answers: the TCP port decoder over any bytes, and the
// interface readers (address, byte, text) of a command object whose answer buffer holds the input.
// Every read must stay inside the buffer and every text output inside its stated capacity.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "fuzz/library_fuzz_input.h"
#include "yat/command_buffer.h"
#include "config/ip_config.h"
#include "config/network_wire.h"
#include "config/tcp_port.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::unique_ptr<uint8_t[]> copy = fuzzsupport::exactCopy(data, size);
    int32_t port = -1;
    if (decodePortAnswer(copy.get(), size, &port) == 0 && (port < 0 || port > 65535)) std::abort();

    // The same bytes as the answer to an interface read (built first, so the command length is known).
    cIPConfig command;
    command.buildGet(netwire::kDhcpAddressCommand, size > 0 ? data[0] : 1);
    size_t count = size < wire::kBufferSize ? size : wire::kBufferSize;
    std::memcpy(command.buffer(), data, count);

    // Outputs with a guard byte after their stated capacity.
    char address[netwire::kAddressTextSize + 1];
    std::memset(address, 0x5A, sizeof address);
    if (command.answerAddress(address) == 0 && std::memchr(address, 0, netwire::kAddressTextSize) == nullptr) {
        std::abort();
    }
    if (address[netwire::kAddressTextSize] != 0x5A) std::abort();
    int32_t value = -1;
    if (command.answerByte(&value) == 0 && (value < 0 || value > 255)) std::abort();
    for (int32_t capacity : {1, 16, 64, 256}) {
        char text[257];
        std::memset(text, 0x5A, sizeof text);
        if (command.getAnswerText(text, capacity) == 0 &&
            std::memchr(text, 0, static_cast<size_t>(capacity)) == nullptr) {
            std::abort();
        }
        if (text[capacity] != 0x5A) std::abort();
    }
    return 0;
}
