#pragma once
// cSPCmd: one SP command. It owns a 4096-byte command buffer, encodes a dot command ("4.3.6",
// "4.1.4.x.1": hexadecimal command bytes, x taking the next parameter byte) plus data into a
// request, and decodes the answer the comm device writes back into the same buffer.
//
// The pattern of every operation: build (buildSPCommand, or a subclass builder), send(comm, node), and
// on ERR_SUCCESS decode with one of the extractors below or a subclass decoder. One object may be rebuilt and
// sent again; every build starts from a cleared buffer. A command object is used by one thread at a
// time and allocates nothing.
//
// Every extractor bounds what it reads to the bytes the buffer holds, whatever data length the SP
// claims. "Answer check" below means: type 4, command length echoed, status 0.

#include <cstddef>
#include <cstdint>

#include "commands/sp_status.h"
#include "platform/byte_reader.h"
#include "yat/command_buffer.h"

class cBusComm;

// Result of getAnswerMask: 0, A[0], A[0] AND NOT A[1], 0.
struct AnswerMask {
    uint8_t bytes[4];
};

class cSPCmd {
public:
    cSPCmd() = default;
    cSPCmd(const cSPCmd&) = default;
    cSPCmd& operator=(const cSPCmd&) = default;

    // Slot 0: builds a request for dotCommand; the base builds nothing and returns null.
    virtual uint8_t* buildCommand(const char* dotCommand);
    // Slot 1: decodes the answer into output by kind; the base returns ERR_FAILED (1).
    [[nodiscard]] virtual int32_t getCommandData(int32_t kind, void* output);

    // Encodes dotCommand with up to paramCount parameter bytes for its x placeholders (surplus
    // placeholders are dropped, surplus parameters ignored) and dataSize data bytes. Returns the
    // buffer, or null when the dot command is null, malformed (an empty or non-hexadecimal token),
    // has more than wire::kMaxCommandBytes tokens, or the data would not fit the buffer; the buffer
    // is then left cleared and send() refuses to send it.
    uint8_t* buildSPCommand(const char* dotCommand, int32_t commandType, const uint8_t* params, const uint8_t* data,
                            int32_t paramCount, int32_t dataSize);

    // Fills the buffer from ready command bytes; returns ERR_SUCCESS, or ERR_INVALID_PARAMETER (12)
    // (nothing built, buffer cleared) when the bytes would not fit or commandBytes is null. The data
    // length goes into offsets 2 and 3 (least significant byte first); null data counts as no data.
    [[nodiscard]] int32_t BuildCommandBuffer(const uint8_t* commandBytes, int32_t commandType, const uint8_t* data,
                                             int32_t dataSize, int32_t commandByteCount);

    // Sends the request built last to node. Returns ERR_SUCCESS when an answer came back (it is in the
    // buffer), the comm device's transport code passed on (transportResult) when none did, or
    // ERR_INVALID_PARAMETER (12) when there is no comm device or no request was built.
    [[nodiscard]] int32_t send(cBusComm* comm, int32_t node);

    // Answer access (bounded).
    uint8_t answerType() const { return cmdBuffer[wire::kTypeOffset]; }
    SpStatus answerStatus() const { return static_cast<SpStatus>(cmdBuffer[wire::kStatusOffset]); }
    // The 16-bit data length field as the SP wrote it.
    uint16_t answerDataLength() const { return wire::dataLength(cmdBuffer); }
    // The answer check: type 4, command length echoed, status 0.
    bool answerOk() const;
    // Start of the answer data (after the echoed command bytes).
    const uint8_t* answerData() const;
    // The answer data, cut to what the buffer holds.
    ByteReader answerReader() const;

    // Extractors. Full-check ones return ERR_BAD_ANSWER (2) and leave outputs untouched when the
    // answer check fails, and the fixed-size ones (address, byte, flag) also when the answer holds
    // fewer data bytes than they read.
    [[nodiscard]] int32_t getAnswerIPAddress(char* text);  // "%d.%d.%d.%d" of A[0..3]; text holds 16 bytes
    [[nodiscard]] int32_t getAnswerText(char* text, int32_t capacity);
    [[nodiscard]] int32_t getAnswerBytes(uint8_t* buffer, int32_t limit);  // buffer holds limit + 1 bytes
    [[nodiscard]] int32_t getAnswerByte(int32_t* value);
    [[nodiscard]] int32_t getAnswerFlag(bool* value);
    // Status-only extractors: they always return ERR_SUCCESS, even when the SP failed, leaving the
    // output untouched then (getAnswerDword also for fewer than four data bytes); the caller checks
    // answerStatus() itself.
    int32_t getAnswerDword(uint32_t* value);
    int32_t copyAnswerData(uint8_t* buffer);  // buffer holds 4096 bytes
    int32_t copyAnswerText(char* buffer);     // buffer holds 4096 bytes
    bool isAnswerDataZero() const;
    AnswerMask getAnswerMask() const;

    // Transfers: build, send and check in one step (see each for its results).
    [[nodiscard]] int32_t sendRequest(cBusComm* comm, int32_t node, int32_t commandType, const char* dotCommand,
                                      const uint8_t* params, int32_t paramCount);
    [[nodiscard]] int32_t readData(cBusComm* comm, int32_t node, int32_t commandType, const char* dotCommand,
                                   const uint8_t* params, int32_t paramCount, void* destination, int32_t length);
    int32_t readValue32(cBusComm* comm, int32_t node, const char* dotCommand, uint32_t* value);
    [[nodiscard]] int32_t writeData(cBusComm* comm, int32_t node, const char* dotCommand, const uint8_t* params,
                                    int32_t paramCount, const uint8_t* data, int32_t dataSize);
    int32_t writeValue32(cBusComm* comm, int32_t node, const char* dotCommand, uint32_t value);

    // Secrets: marks this object's requests as carrying a secret (a user or alert password, a
    // community string). From then on no log line or dump of this object shows the data bytes of a
    // request or of the answer that overwrites it; dumpData logs "<n bytes withheld>" instead, and
    // the builder adds that line after "There is data so copying it". The mark stays for the
    // object's life, across rebuilds.
    void withholdData() { withheld_ = true; }
    bool dataWithheld() const { return withheld_; }
    // Dumps the data bytes the buffer holds now (the request before sending, the answer after),
    // bounded by the buffer, into the log; with the mark, logs "<n bytes withheld>" under tag instead.
    // Returns how many bytes were dumped.
    int32_t dumpData(const char* tag) const;

    // The buffer and the command byte count of the request built last.
    uint8_t* buffer() { return cmdBuffer; }
    const uint8_t* buffer() const { return cmdBuffer; }
    int32_t commandByteCount() const { return origCmdSize; }

protected:
    // Clears the buffer and marks it unsendable; returns null for the builders to hand back.
    uint8_t* refuse();

    int32_t origCmdSize = 0;
    uint8_t cmdBuffer[wire::kBufferSize];
    bool built_ = false;     // a request is in the buffer and may be sent
    bool withheld_ = false;  // data bytes never reach the log (withholdData)
};
