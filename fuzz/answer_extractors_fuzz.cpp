// Fuzzes the generic answer extractors of a command object and the transfers built on them. The first
// input byte chooses how many command bytes the request has (so where the answer data start); the rest
// is the answer the SP writes over the buffer (any header, any claimed data length). Outputs are
// exactly their stated sizes, so any write past them is caught.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "commands/sp_cmd.h"
#include "fuzz/library_fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::quietLibraryLog();
    if (size == 0) return 0;
    std::string dotted = "4";
    for (int i = 1; i < 1 + data[0] % wire::kMaxCommandBytes; ++i) dotted += ".3";
    cSPCmd command;
    if (command.buildSPCommand(dotted.c_str(), wire::kGet, nullptr, nullptr, 0, 0) == nullptr) std::abort();
    size_t count = size - 1 < wire::kBufferSize ? size - 1 : wire::kBufferSize;
    std::memcpy(command.buffer(), data + 1, count);

    auto address = std::make_unique<char[]>(16);
    if (command.getAnswerIPAddress(address.get()) == 0) fuzzsupport::requireTerminated(address.get(), 16);
    for (int32_t capacity : {1, 17, 256}) {
        auto text = std::make_unique<char[]>(capacity);
        if (command.getAnswerText(text.get(), capacity) == 0) fuzzsupport::requireTerminated(text.get(), capacity);
        auto bytes = std::make_unique<uint8_t[]>(capacity + 1);
        (void)command.getAnswerBytes(bytes.get(), capacity);
    }
    int32_t byte = 0;
    (void)command.getAnswerByte(&byte);
    bool flag = false;
    (void)command.getAnswerFlag(&flag);
    uint32_t dword = 0;
    command.getAnswerDword(&dword);
    auto whole = std::make_unique<uint8_t[]>(wire::kBufferSize);
    command.copyAnswerData(whole.get());
    auto wholeText = std::make_unique<char[]>(wire::kBufferSize);
    std::memset(wholeText.get(), 'x', wire::kBufferSize);
    command.copyAnswerText(wholeText.get());
    (void)command.isAnswerDataZero();
    (void)command.getAnswerMask();
    if (command.answerReader().size() > wire::kBufferSize) std::abort();
    command.dumpData("fuzz");

    // The transfers: the same bytes as the answer of a comm device (well-formed framing).
    std::unique_ptr<uint8_t[]> copy = fuzzsupport::exactCopy(data, size);
    fuzzsupport::ScriptedComm comm(copy.get(), size);
    auto destination = std::make_unique<uint8_t[]>(8);
    (void)command.readData(&comm, 0, wire::kGet, "4.3.x.1", data, 1, destination.get(), 8);
    command.readValue32(&comm, 1, "4.3.3.1", &dword);
    command.writeValue32(&comm, 0, "4.3.3.2", dword);
    return 0;
}
