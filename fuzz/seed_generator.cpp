// Writes seeds of the fuzz targets from the simulator's default scenario: for each comm-driven target
// the answers its driver (fuzz/library_drivers.h) receives, in the input format of
// fuzzsupport::ScriptedComm; for answer_extractors one raw answer; for registry the LED panel file.
// Usage: seed_generator CORPUS_DIR (the targets' seed folders below it are written to).

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/library_drivers.h"
#include "sim/led_registry.h"
#include "sim/sim_bus_comm.h"

namespace {

// Passes every request on to the simulator and records its answer.
class RecordingComm final : public cBusComm {
public:
    explicit RecordingComm(yatsim::SimBusComm& sim) : sim_(sim) { setDeviceID(99); }

    uint32_t sendCommand(int32_t node, uint8_t* buffer) override {
        uint8_t commandBytes = buffer[wire::kCommandLengthOffset];
        uint32_t result = sim_.sendCommand(node, buffer);
        if (result != 0) {
            script.insert(script.end(), {2, 0, 0, 0});
            return result;
        }
        bool framed = buffer[wire::kTypeOffset] == wire::kAnswer && buffer[wire::kCommandLengthOffset] == commandBytes;
        size_t start = framed ? wire::kHeaderSize + commandBytes : 0;
        size_t length = framed ? wire::boundedDataLength(buffer, commandBytes)
                               : wire::kHeaderSize + commandBytes + wire::boundedDataLength(buffer, commandBytes);
        script.insert(script.end(),
                      {static_cast<uint8_t>(framed ? 0 : 1), framed ? buffer[wire::kStatusOffset] : uint8_t{0},
                       static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)});
        script.insert(script.end(), buffer + start, buffer + start + length);
        return 0;
    }
    uint32_t registerForEvents(uint32_t, uint8_t*) override { return 10; }
    uint32_t deRegisterForEvents(uint32_t) override { return 0; }
    uint32_t getNodeCount() override { return sim_.getNodeCount(); }

    std::vector<uint8_t> script;

private:
    yatsim::SimBusComm& sim_;
};

void write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    std::printf("%s: %lu bytes\n", path.string().c_str(), static_cast<unsigned long>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: seed_generator CORPUS_DIR\n");
        return 2;
    }
    fuzzsupport::quietLibraryLog();
    std::filesystem::path corpus = argv[1];
    for (const fuzzsupport::Driver& driver : fuzzsupport::kDrivers) {
        yatsim::SimBusComm sim;
        RecordingComm comm(sim);
        driver.drive(&comm);
        write(corpus / driver.target / "sim_default", comm.script);
    }

    // One raw answer ("4.3.6", system state) behind the command byte count it was asked with.
    yatsim::SimBusComm sim;
    cSPCmd command;
    command.buildSPCommand("4.3.6", wire::kGet, nullptr, nullptr, 0, 0);
    (void)command.send(&sim, 1);
    std::vector<uint8_t> answer{2};
    answer.insert(answer.end(), command.buffer(),
                  command.buffer() + wire::kHeaderSize + 3 + command.answerDataLength());
    write(corpus / "answer_extractors" / "sim_state", answer);

    std::filesystem::path root = std::filesystem::temp_directory_path() / "yat-seed-registry";
    yatsim::writeLedRegistry(sim.scenario(), root.string());
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream file(entry.path(), std::ios::binary);
        write(corpus / "registry" / "sim_leds.reg", std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {}));
    }
    std::filesystem::remove_all(root);
    return 0;
}
