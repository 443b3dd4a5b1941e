// Dot-command encoding and answer decoding. The longest dot command in use has seven tokens, four of
// them placeholders. Each benchmark runs with logging off (log:0), queued (log:1) and synchronous
// (log:2, YAT_LOG=sync): the builder logs every token, so with logging on the appends dominate.

#include <benchmark/benchmark.h>

#include <cstring>

#include "bench/log_setup.h"
#include "commands/sp_cmd.h"

namespace {

constexpr const char* kLongest = "4.3.2.x.x.x.x";
const uint8_t kParams[4] = {0x01, 0x02, 0x03, 0x04};

// Turns the request in the buffer into an SP answer carrying data, as the comm device would.
void answerInPlace(cSPCmd& cmd, const uint8_t* data, uint8_t size) {
    uint8_t* buffer = cmd.buffer();
    buffer[0] = wire::kAnswer;
    buffer[2] = size;
    std::memcpy(buffer + wire::kHeaderSize + cmd.commandByteCount(), data, size);
}

void encodeLongest(benchmark::State& state) {
    yatbench::LogSetup log(static_cast<int>(state.range(0)));
    cSPCmd cmd;
    for (auto _ : state) {
        benchmark::DoNotOptimize(cmd.buildSPCommand(kLongest, wire::kGet, kParams, nullptr, 4, 0));
    }
}
BENCHMARK(encodeLongest)->ArgName("log")->Arg(0)->Arg(1)->Arg(2);

void checkAndExtract(benchmark::State& state) {
    yatbench::LogSetup log(0);
    cSPCmd cmd;
    cmd.buildSPCommand(kLongest, wire::kGet, kParams, nullptr, 4, 0);
    const uint8_t data[4] = {0xC0, 0xA8, 0x00, 0x01};
    answerInPlace(cmd, data, sizeof data);
    char text[16];
    for (auto _ : state) {
        benchmark::DoNotOptimize(cmd.getAnswerIPAddress(text));
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK(checkAndExtract);

void encodeCheckExtract(benchmark::State& state) {
    yatbench::LogSetup log(static_cast<int>(state.range(0)));
    cSPCmd cmd;
    const uint8_t data[4] = {0x78, 0x56, 0x34, 0x12};
    int32_t value = 0;
    for (auto _ : state) {
        cmd.buildSPCommand(kLongest, wire::kGet, kParams, nullptr, 4, 0);
        answerInPlace(cmd, data, sizeof data);
        benchmark::DoNotOptimize(cmd.getAnswerByte(&value));
        benchmark::DoNotOptimize(value);
    }
}
BENCHMARK(encodeCheckExtract)->ArgName("log")->Arg(0)->Arg(1)->Arg(2);

}  // namespace
