// Sensor discovery (initSensors) against a scripted SP.

#include <gtest/gtest.h>

#include <memory>

#include "frame/libyat.h"
#include "yat/result_codes.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "kit/recording_sink.h"
#include "sensor_sp.h"
#include "sensors/sensor_classes.h"

namespace {

using sensortest::Bytes;
using sensortest::entry;
using sensortest::join;
using sensortest::Peek;
using sensortest::ScriptedSp;
using yattest::FakeComm;
using yattest::LogCapture;
using yattest::RecordingSink;
using yattest::Report;

constexpr const char* kFanKey = "SOFTWARE\\Zentro\\Vigilor\\SPfan";

class Discovery : public ::testing::Test {
protected:
    void SetUp() override { open(1); }

    void open(uint32_t nodes) {
        lib.reset();
        comm = std::make_unique<FakeComm>(nodes);
        lib = std::make_unique<cLibYAT>(comm.get());
        comm->clearRequests();
        sp = std::make_unique<ScriptedSp>(*comm);
    }

    std::vector<Report> reportsOf(int32_t sensorClass) const {
        std::vector<Report> result;
        for (const Report& report : sink.reports()) {
            if (report.sensorClass == sensorClass) result.push_back(report);
        }
        return result;
    }

    template <class T>
    SensorRecord record(int32_t node, int32_t sensor) {
        Peek<T> object;
        SensorRecord out;
        bool present = false;
        (void)object->instances().Read(node, sensor, &out, &present);
        EXPECT_TRUE(present) << "node " << node << " sensor " << sensor;
        return out;
    }

    // The requests for one command, as (node) in order.
    std::vector<int32_t> nodesOf(const std::string& command) const {
        std::vector<int32_t> nodes;
        for (const auto& request : comm->requests()) {
            if (request.command == command) nodes.push_back(request.node);
        }
        return nodes;
    }

    LogCapture log;
    RecordingSink sink;
    std::unique_ptr<FakeComm> comm;
    std::unique_ptr<cLibYAT> lib;
    std::unique_ptr<ScriptedSp> sp;
};

TEST_F(Discovery, TemperaturesFromRangeAndSingleEntries) {
    sp->supported(join({entry({2, 1, 1, 4}, true), entry({2, 1, 2, 1})}));
    sp->temp(1, 2, 40, 70, 60);
    sp->temp(1, 4, 65, 75, 60);
    sp->temp(2, 1, 50, 90, 80);
    EXPECT_EQ(lib->initSensors(&sink), 0);

    std::vector<std::string> commands = comm->commands();
    commands.resize(10);
    EXPECT_EQ(commands, (std::vector<std::string>{"1.1", "2.1.1.1", "2.1.1.2", "4.3.2.1.2.3", "4.3.2.1.2.2", "2.1.1.3",
                                                  "2.1.1.4", "4.3.2.1.0.3", "4.3.2.1.0.2", "2.1.2.1"}));
    std::vector<Report> temps = reportsOf(1);
    ASSERT_EQ(temps.size(), 3u);
    // Report numbers count reported sensors; the first pointer carries the sensor number.
    EXPECT_EQ(temps[0].node, 1);
    EXPECT_EQ(temps[0].sensor, 1);
    EXPECT_EQ(temps[0].first, 2);
    EXPECT_EQ(temps[0].second, 70);
    EXPECT_EQ(temps[0].third, 60);
    EXPECT_EQ(temps[0].code, 46);
    EXPECT_FALSE(temps[0].text.has_value());
    EXPECT_EQ(temps[1].sensor, 2);
    EXPECT_EQ(temps[1].first, 4);
    EXPECT_EQ(temps[2].sensor, 3);
    EXPECT_EQ(temps[2].first, 5);
    EXPECT_EQ(temps[2].second, 90);

    SensorRecord second = record<cTempInstance>(1, 2);
    EXPECT_EQ(second.valid, 1);
    EXPECT_EQ(second.reading, 40);
    EXPECT_EQ(second.location, 1);
    EXPECT_EQ(second.instanceNumber, 2);
    EXPECT_EQ(second.sensorType, 2);
    EXPECT_EQ(second.status, 1);
    EXPECT_EQ(second.nodeIndex, 0);
    EXPECT_EQ(record<cTempInstance>(1, 4).status, 2);
    SensorRecord cpu = record<cTempInstance>(1, 5);
    EXPECT_EQ(cpu.location, 2);
    EXPECT_EQ(cpu.sensorType, 1);
    EXPECT_EQ(lib->getNumberSensors(1, 1), 3);

    EXPECT_TRUE(log.has("cSP::initChip", "Found CPU temperature"));
    EXPECT_TRUE(log.has("cSP::initChip", "The temp reading failed for [1]"));
    EXPECT_TRUE(log.has(
        "cSP::initChip",
        "The temp reading succeeded for [2] and is [40], buffer +3 [1] buffer +4 [4] upperlim [70] and lowerlim [60]"));
    EXPECT_TRUE(log.has("cLibYAT::initSensors", "first [1] last [4]"));
    EXPECT_FALSE(log.has("cSP::initChip", "Real CPU temperatures not found"));
}

TEST_F(Discovery, SkipsUnscannedLocationsAndCapsVoltages) {
    sp->supported(join({entry({2, 1, 6, 1}), entry({2, 1, 0, 1}), entry({2, 2, 2, 1}), entry({2, 2, 1, 30}, true),
                        entry({2, 3, 1, 1})}));
    sp->volt(2, 330, 350, 310);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    for (const std::string& command : comm->commands()) {
        EXPECT_NE(command.rfind("2.1.", 0), 0u) << command;
        EXPECT_NE(command.rfind("2.2.2.", 0), 0u) << command;
    }
    EXPECT_EQ(comm->count("2.2.1.14"), 1u);  // instance 20
    EXPECT_EQ(comm->count("2.2.1.15"), 0u);  // instance 21 is never read

    std::vector<Report> volts = reportsOf(2);
    ASSERT_EQ(volts.size(), 20u);
    EXPECT_EQ(volts[0].second, 0);  // failed: announced with flag 0
    EXPECT_EQ(volts[1].sensor, 2);
    EXPECT_EQ(volts[1].first, 2);
    EXPECT_EQ(volts[1].second, 1);
    EXPECT_FALSE(volts[1].third.has_value());
    EXPECT_EQ(volts[19].sensor, 20);
    SensorRecord volt = record<cVoltInstance>(1, 2);
    EXPECT_FLOAT_EQ(volt.voltReading, 3.3f);
    EXPECT_FLOAT_EQ(volt.voltUpperLimit, 3.5f);
    EXPECT_FLOAT_EQ(volt.voltLowerLimit, 3.1f);
    EXPECT_EQ(volt.sensorType, 3);  // voltage type of instance 2
    EXPECT_EQ(volt.status, 1);
    EXPECT_EQ(lib->getNumberSensors(2, 1), 1);
    EXPECT_TRUE(log.has("cSP::initChip", "The volt status failed for [1]"));
    EXPECT_TRUE(log.has("cSP::initChip", "The voltage buffer j was [2] and produced type of [3]"));
    EXPECT_TRUE(log.has("cSP::initChip", "Voltages first [1] last [30] buffer +3 [1] buffer +4 [1e] motherboard [1]"));
}

TEST_F(Discovery, NodeWithoutCpuTemperatureGetsTwoPlaceholders) {
    sp->supported(entry({2, 1, 5, 1}));
    sp->temp(5, 1, 30, 60, 50);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    EXPECT_EQ(lib->getNumberSensors(1, 1), 3);
    for (int32_t sensor : {2, 3}) {
        SensorRecord placeholder = record<cTempInstance>(1, sensor);
        EXPECT_EQ(placeholder.valid, 0);
        EXPECT_EQ(placeholder.location, 2);
        EXPECT_EQ(placeholder.sensorType, 39);
        EXPECT_EQ(placeholder.status, 51);
        EXPECT_EQ(placeholder.instanceNumber, sensor - 1);
        EXPECT_EQ(placeholder.reading, 0);
        int32_t reading = -1;
        EXPECT_EQ(lib->getSensorReading(1, 1, sensor, &reading), ERR_INVALID_INDEX);
        EXPECT_EQ(reading, -1);
    }
    EXPECT_EQ(reportsOf(1).size(), 1u);
    EXPECT_TRUE(log.has("cSP::initChip", "Real CPU temperatures not found"));
}

TEST_F(Discovery, EmptyListStillKeepsTheTemperatureObject) {
    sp->supported({});
    EXPECT_EQ(lib->initSensors(&sink), 0);
    EXPECT_EQ(lib->getNumberSensors(1, 1), 2);
    EXPECT_EQ(lib->getNumberSensors(2, 1), 0);  // voltage object released: no records
}

TEST_F(Discovery, DasdSensorWithoutLimitsIsTriedAtLocationSix) {
    sp->supported(entry({2, 1, 4, 1}));
    sp->temp(4, 1, 30);  // no limits at location 4
    sp->temp(6, 1, 31, 55, 45);
    sp->dasdVpd("DASDFRU77");
    EXPECT_EQ(lib->initSensors(&sink), 0);
    SensorRecord dasd = record<cTempInstance>(1, 1);
    EXPECT_EQ(dasd.valid, 1);
    EXPECT_EQ(dasd.location, 6);
    EXPECT_EQ(dasd.reading, 31);
    std::vector<Report> temps = reportsOf(1);
    ASSERT_EQ(temps.size(), 1u);
    EXPECT_EQ(temps[0].text, std::optional<std::string>("DASDFRU77"));
    EXPECT_EQ(nodesOf("4.3.5.e.1").size(), 1u);
    auto requests = comm->requests();
    for (const auto& request : requests) {
        if (request.command == "4.3.5.e.1") {
            EXPECT_EQ(request.data, (Bytes{0, 0, 96, 0}));
        }
    }
    EXPECT_TRUE(log.has("cSP::InitChip", "The command succeeded for [1] and has a FRU number of [DASDFRU77]"));
    EXPECT_TRUE(log.has("cSP::initChip", "Getting the DASD VPD Information"));
}

TEST_F(Discovery, DasdSensorWithoutLimitsAnywhereIsDropped) {
    sp->supported(join({entry({2, 1, 4, 1}), entry({2, 1, 5, 1})}));
    sp->temp(4, 1, 30);
    sp->temp(6, 1, 31);
    sp->temp(5, 1, 40, 70, 60);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    std::vector<Report> temps = reportsOf(1);
    ASSERT_EQ(temps.size(), 1u);
    EXPECT_EQ(temps[0].sensor, 1);  // report number 1
    EXPECT_EQ(temps[0].first, 2);   // sensor number 2: the dropped sensor used number 1
    EXPECT_EQ(comm->count("4.3.5.e.1"), 0u);
    EXPECT_TRUE(log.has("cSP::initChip", "Not getting the DASD VPD information"));
}

TEST_F(Discovery, FansAreRememberedThroughTheRegistryTexts) {
    sp->supported({});
    sp->fan(1, 11);         // unknown, 550 RPM: added to the registry, valid
    sp->fan(2, 255);        // unknown, stopped: stored invalid, not reported
    sp->fanUnavailable(3);  // known: valid, reading 0, status 3
    sink.remember("node[0] sensor3\n\n");
    sp->fanUnavailable(5);  // unknown and unavailable: skipped
    sp->fan(6, 20);
    EXPECT_EQ(lib->initSensors(&sink), 0);

    std::vector<yattest::RegistryCall> calls = sink.registryCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].keyPath, "SOFTWARE\\Zentro\\Vigilor");
    EXPECT_EQ(calls[0].text, "\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zentro\\Vigilor\\SPfan]\n");
    EXPECT_EQ(calls[1].keyPath, kFanKey);
    EXPECT_EQ(calls[1].text, "node[0] sensor1\n\n");
    EXPECT_EQ(calls[2].text, "node[0] sensor6\n\n");

    std::vector<Report> fans = reportsOf(3);
    ASSERT_EQ(fans.size(), 3u);
    EXPECT_EQ(fans[0].sensor, 1);
    EXPECT_EQ(fans[0].first, 1);
    EXPECT_EQ(fans[0].second, 1);
    EXPECT_EQ(fans[1].sensor, 3);
    EXPECT_EQ(fans[2].sensor, 4);

    SensorRecord first = record<cFanInst>(1, 1);
    EXPECT_EQ(first.valid, 1);
    EXPECT_EQ(first.reading, 550);
    EXPECT_EQ(first.upperLimit, 550);
    EXPECT_EQ(first.status, 1);
    EXPECT_EQ(first.sensorType, 32);
    EXPECT_EQ(first.instanceNumber, 1);
    SensorRecord stopped = record<cFanInst>(1, 2);
    EXPECT_EQ(stopped.valid, 0);
    EXPECT_EQ(stopped.reading, 0);
    EXPECT_EQ(stopped.instanceNumber, 2);
    SensorRecord unavailable = record<cFanInst>(1, 3);
    EXPECT_EQ(unavailable.valid, 1);
    EXPECT_EQ(unavailable.reading, 0);
    EXPECT_EQ(unavailable.upperLimit, 0);
    EXPECT_EQ(unavailable.status, 3);
    EXPECT_EQ(unavailable.instanceNumber, 3);
    EXPECT_EQ(record<cFanInst>(1, 4).instanceNumber, 6);
    EXPECT_EQ(lib->getNumberSensors(3, 1), 4);
    EXPECT_EQ(comm->count("2.3.1f"), 1u);  // instances 1 to 31
    EXPECT_EQ(comm->count("2.3.20"), 0u);
    EXPECT_TRUE(log.has("cLibYAT::initSensors", "The current <= fan node [0], instance [2]"));
    EXPECT_TRUE(log.has("cLibYAT::initSensors", "The current fan node [0], instance [3] got reg info with status [3]"));
    EXPECT_TRUE(log.has("cLibYAT::initSensors",
                        "The current fan node [0], instance [1] could not get reg info with status [1]"));

    // A later run: the host now knows the fan key and the three fans; none of them can be read, and
    // all three stay announced under fresh sensor numbers.
    sink.clear();
    sink.remember(kFanKey);
    comm->clearRules();
    sp->supported({});
    sp->fanUnavailable(1);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    EXPECT_TRUE(sink.registryCalls().empty());
    fans = reportsOf(3);
    ASSERT_EQ(fans.size(), 3u);
    EXPECT_EQ(record<cFanInst>(1, 1).status, 3);  // fan 1, unavailable
    EXPECT_EQ(record<cFanInst>(1, 2).instanceNumber, 3);
    EXPECT_EQ(record<cFanInst>(1, 2).status, 0);  // fan 3, read failed
    EXPECT_EQ(record<cFanInst>(1, 3).instanceNumber, 6);
}

TEST_F(Discovery, TwoNormalSuppliesAreAddedWithTheSecondPowerFlag) {
    sp->supported({});
    sp->power(0x03, 0x00);
    sp->powerVpd(1, "PSFRU1");
    sp->powerVpd(2, "PSFRU2");
    for (int32_t supply = 3; supply <= 8; ++supply) sp->noPowerVpd(supply);
    EXPECT_EQ(lib->initSensors(&sink), 0);

    std::vector<Report> supplies = reportsOf(4);
    ASSERT_EQ(supplies.size(), 2u);
    for (int32_t s = 0; s < 2; ++s) {
        EXPECT_EQ(supplies[s].node, 1);
        EXPECT_EQ(supplies[s].sensor, s + 1);
        EXPECT_EQ(supplies[s].first, s + 1);
        EXPECT_EQ(supplies[s].second, 1);
        EXPECT_FALSE(supplies[s].third.has_value());
        EXPECT_EQ(supplies[s].code, 46);
        SensorRecord supply = record<cPowerInstance>(1, s + 1);
        EXPECT_EQ(supply.valid, 1);
        EXPECT_EQ(supply.location, 7);
        EXPECT_EQ(supply.sensorType, 37);
        EXPECT_EQ(supply.instanceNumber, s);
        EXPECT_EQ(supply.status, 0);
        EXPECT_EQ(supply.normalsSupported, 1);
        EXPECT_EQ(supply.secondPowerFlag, 1);
    }
    EXPECT_EQ(supplies[0].text, std::optional<std::string>("PSFRU1"));
    EXPECT_EQ(supplies[1].text, std::optional<std::string>("PSFRU2"));
    EXPECT_EQ(lib->getNumberSensors(4, 1), 2);
    int32_t status = -1, type = 0;
    EXPECT_EQ(lib->getSensorStatus(4, 1, 2, &status, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(lib->getSensorType(4, 1, 2, &type), 0);
    EXPECT_EQ(type, 37);
    // Counting pass: VPD of the supplies without a present bit; adding pass: the same again plus the
    // VPD of the two reported supplies.
    EXPECT_EQ(comm->count("4.3.5.c.1"), 1u);
    EXPECT_EQ(comm->count("4.3.5.c.3"), 2u);
    EXPECT_TRUE(log.has("cLIBYAT::initSensors", "The total number of power supplies for monitoring is [2]"));
    EXPECT_TRUE(log.has("cLIBYAT::initSensors", "The total number of power supplies is [2]"));
    EXPECT_TRUE(log.has("cSP::InitCHip", "fuel gauge Supported with pwrnormals"));
    EXPECT_TRUE(log.has("cSP::InitChip", " adding installed power supply [1]"));
    EXPECT_TRUE(log.has("cSP::InitChip", "the number of power supplies is > 0"));
}

TEST_F(Discovery, OneSupplyIsNotMonitored) {
    sp->supported({});
    sp->power(0x01, 0x00);
    for (int32_t supply = 1; supply <= 8; ++supply) sp->noPowerVpd(supply);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    EXPECT_TRUE(reportsOf(4).empty());
    EXPECT_EQ(lib->getNumberSensors(4, 1), 0);
    int32_t status = -1;
    EXPECT_EQ(lib->getSensorStatus(4, 1, 1, &status, nullptr, nullptr, nullptr), ERR_INVALID_INDEX);
    EXPECT_EQ(comm->count("4.3.5.c.1"), 0u);  // supply 0 has its present bit
    EXPECT_TRUE(log.has("cLIBYAT::initSensors", "The total number of power supplies for monitoring is [1]"));
    EXPECT_TRUE(log.has("cSP::InitChip", "the number of power supplies is <= 0"));
}

TEST_F(Discovery, SuppliesFoundByVpdWithoutNormals) {
    sp->supported({});
    sp->power(0x00, 0x00);
    sp->powerVpd(1, "A");
    sp->powerVpd(3, "C");
    for (int32_t supply : {2, 4, 5, 6, 7, 8}) sp->noPowerVpd(supply);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    EXPECT_EQ(lib->getNumberSensors(4, 1), 2);
    std::vector<Report> supplies = reportsOf(4);
    ASSERT_EQ(supplies.size(), 2u);
    EXPECT_EQ(supplies[1].sensor, 3);
    EXPECT_EQ(supplies[1].text, std::optional<std::string>("C"));
    SensorRecord first = record<cPowerInstance>(1, 1);
    EXPECT_EQ(first.status, 49);
    EXPECT_EQ(first.normalsSupported, 0);
    EXPECT_EQ(first.secondPowerFlag, 1);
    EXPECT_TRUE(log.has("cSP::InitCHip", "fuel gauge Supported but no pwrnormals"));
}

TEST_F(Discovery, SupplyWithoutPresentBitIsStoredInvalid) {
    sp->supported({});
    sp->power(0x01, 0x00);
    sp->powerVpd(2, "B");
    for (int32_t supply = 3; supply <= 8; ++supply) sp->noPowerVpd(supply);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    std::vector<Report> supplies = reportsOf(4);
    ASSERT_EQ(supplies.size(), 1u);
    EXPECT_EQ(supplies[0].second, 0);  // only one normal supply
    SensorRecord installed = record<cPowerInstance>(1, 1);
    EXPECT_EQ(installed.valid, 1);
    EXPECT_EQ(installed.secondPowerFlag, 0);
    SensorRecord other = record<cPowerInstance>(1, 2);
    EXPECT_EQ(other.valid, 0);
    EXPECT_EQ(other.status, 0);
    EXPECT_EQ(other.normalsSupported, 1);
    EXPECT_EQ(comm->count("4.3.5.c.2"), 2u);  // counting and adding pass; no VPD read for the invalid record
    EXPECT_TRUE(log.has("cSP::initChip", "in the else part of number of power chips"));
    EXPECT_TRUE(log.has("cSP::InitChip", " adding power supply [1]"));
}

TEST_F(Discovery, PowerStatusSendFailureSkipsTheNode) {
    sp->supported({});
    comm->fail("f.5.1", 5);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    EXPECT_EQ(lib->getNumberSensors(4, 1), 0);
    EXPECT_EQ(comm->count("4.3.5.c.1"), 0u);
}

TEST_F(Discovery, MultiNodeIdsNameTheNodesButCommandsGoToTheIndex) {
    open(3);
    sp->supported(entry({2, 1, 2, 1}));
    sp->temp(2, 1, 44, 80, 70);
    ScriptedSp(*comm, 0).multiNodeId(255);
    ScriptedSp(*comm, 1).multiNodeId(5);
    ScriptedSp(*comm, 1).power(0x03, 0);
    for (int32_t supply = 1; supply <= 8; ++supply) sp->noPowerVpd(supply);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    EXPECT_EQ(record<cTempInstance>(1, 1).nodeIndex, 0);
    EXPECT_EQ(record<cTempInstance>(6, 1).nodeIndex, 1);
    EXPECT_EQ(record<cTempInstance>(3, 1).nodeIndex, 2);  // no ID answer: the index
    // Read once per node and run: temperatures, fans and power supplies all key the node alike.
    EXPECT_EQ(nodesOf("14.1.3.2"), (std::vector<int32_t>{0, 1, 2}));
    for (const auto& request : comm->requests()) {
        if (request.command == "14.1.3.2") {
            EXPECT_EQ(request.data, (Bytes{0, 0, 0}));
        }
    }
    SensorRecord supply = record<cPowerInstance>(6, 2);
    EXPECT_EQ(supply.nodeIndex, 1);
    std::vector<Report> supplies = reportsOf(4);
    ASSERT_EQ(supplies.size(), 2u);
    EXPECT_EQ(supplies[0].node, 6);
    EXPECT_EQ(supplies[1].node, 6);
    // Nodes 0 and 2 have no present byte and look for supplies by VPD; node 1 reads the VPD of its
    // first supply when adding it.
    EXPECT_EQ(nodesOf("4.3.5.c.1"), (std::vector<int32_t>{0, 1, 2}));
}

TEST_F(Discovery, SupportedCommandsFailures) {
    comm->fail("1.1", 23);
    EXPECT_EQ(lib->initSensors(&sink), 23);
    comm->clearRules();
    comm->status("1.1", 4);
    EXPECT_EQ(lib->initSensors(&sink), ERR_BAD_ANSWER);
    comm->clearRules();
    comm->raw("1.1", {}, [](uint8_t* buffer) { buffer[7] = 2; });
    EXPECT_EQ(lib->initSensors(&sink), ERR_BAD_ANSWER);
    EXPECT_TRUE(sink.reports().empty());
}

TEST_F(Discovery, ASilentNodeIsSkippedAndTheOthersAreDiscovered) {
    open(2);
    ScriptedSp(*comm, 1).supported(entry({2, 1, 2, 1}));
    ScriptedSp(*comm, 1).temp(2, 1, 44, 80, 70);
    comm->fail("1.1", 9).node(0);
    EXPECT_EQ(lib->initSensors(&sink), 9);  // the first failure is the result
    EXPECT_EQ(lib->getNumberSensors(1, 2), 1);
    int32_t reading = 0;
    EXPECT_EQ(lib->getSensorReading(1, 2, 1, &reading), 0);
    EXPECT_EQ(reading, 44);
    // Fans and supplies of the answering node are still looked for; the silent node gets nothing
    // after its list failed.
    EXPECT_EQ(nodesOf("2.3.1"), (std::vector<int32_t>{1}));
    EXPECT_EQ(nodesOf("f.5.1"), (std::vector<int32_t>{1}));
    EXPECT_EQ(nodesOf("1.1"), (std::vector<int32_t>{0, 1}));
}

TEST_F(Discovery, MalformedListsAreWalkedWithinBounds) {
    // An entry running past the data ends the walk after the good one.
    sp->supported(join({entry({2, 1, 2, 1}), Bytes{0x7F, 2, 1}}));
    sp->temp(2, 1, 44, 80, 70);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    EXPECT_EQ(reportsOf(1).size(), 1u);

    // A data length beyond the buffer, and a range up to 255.
    comm->clearRules();
    comm->clearRequests();
    comm->answer("1.1", entry({2, 1, 5, 255}, true)).claimLength(0xFFFF);
    EXPECT_EQ(lib->initSensors(&sink), 0);
    EXPECT_EQ(comm->count("2.1.5.ff"), 1u);
    EXPECT_EQ(comm->count("2.1.5.0"), 0u);
}

TEST_F(Discovery, RunMessages) {
    sp->supported({});
    EXPECT_EQ(lib->initSensors(&sink), 0);
    std::vector<std::string> run = log.texts("cLibYAT::initSensors");
    std::vector<std::string> head(run.begin(), run.begin() + 5);
    EXPECT_EQ(head, (std::vector<std::string>{"in initSensors", "about to go into for loop",
                                              "getting supportedcommands", "getting the buffer for supportedcommands",
                                              "got the buffer for supportedcommands"}));
    EXPECT_EQ(run.back(), "about to return");
    EXPECT_TRUE(log.has("cLibYAT::initSensors", "doing fanstuff"));
    EXPECT_TRUE(log.has("cLibYAT::initSensors", "The number of nodes for fans are [1]"));
    EXPECT_TRUE(log.has("cLibYAT::initSensors", "past the checking of fans"));
    EXPECT_TRUE(log.has("cSP::InitChip", "doing powersupply stuff"));
    EXPECT_TRUE(log.has("cSP::InitChip", " checking pwrBuffer [0] against checking number [128]"));
}

TEST(DiscoveryWithoutDevice, ReturnsNoDevice) {
    LogCapture log;
    cLibYAT lib(nullptr);
    RecordingSink sink;
    EXPECT_EQ(lib.initSensors(&sink), ERR_NO_DEVICE);
    EXPECT_EQ(lib.getNumberSensors(1, 1), 0);
}

TEST(DiscoveryLifetime, RepeatedRunsHoldOneUseThatCloseGivesBack) {
    LogCapture log;
    FakeComm comm(1);
    ScriptedSp sp(comm);
    sp.supported(entry({2, 2, 1, 1}));
    sp.volt(1, 500, 550, 450);
    sp.fan(1, 30);
    sp.power(0x03, 0);
    {
        cLibYAT lib(&comm);
        EXPECT_EQ(lib.initSensors(nullptr), 0);  // no sink: nothing reported, nothing remembered
        EXPECT_EQ(lib.initSensors(nullptr), 0);
        EXPECT_EQ(SharedClassObject<cTempInstance>::users(), 1);
        EXPECT_EQ(SharedClassObject<cVoltInstance>::users(), 1);
        EXPECT_EQ(SharedClassObject<cFanInst>::users(), 1);
        EXPECT_EQ(SharedClassObject<cPowerInstance>::users(), 1);
        EXPECT_EQ(lib.getNumberSensors(2, 1), 2);  // the same record inserted twice
    }
    EXPECT_EQ(SharedClassObject<cTempInstance>::users(), 0);
    EXPECT_EQ(SharedClassObject<cVoltInstance>::users(), 0);
    EXPECT_EQ(SharedClassObject<cFanInst>::users(), 0);
    EXPECT_EQ(SharedClassObject<cPowerInstance>::users(), 0);
}

// The class objects live only while a library holds them: the last close destroys them, and the next
// open discovers into empty objects (no count carried over, no record of a sensor that is gone).
TEST(DiscoveryLifetime, ReopenDiscoversIntoEmptyClassObjects) {
    LogCapture log;
    auto script = [](FakeComm& comm, bool secondVoltage) {
        ScriptedSp sp(comm);
        sp.supported(secondVoltage ? join({entry({2, 2, 1, 1}), entry({2, 2, 1, 2})}) : entry({2, 2, 1, 1}));
        sp.volt(1, 500, 550, 450);
        sp.volt(2, 330, 350, 310);
        sp.fan(1, 30);
        sp.power(0x03, 0);
    };
    auto discover = [](FakeComm& comm) {
        cLibYAT* lib = nullptr;
        EXPECT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
        std::vector<int32_t> counts;
        if (lib == nullptr) return counts;
        EXPECT_EQ(lib->initSensors(nullptr), 0);
        for (int32_t sensorClass = 1; sensorClass <= 4; ++sensorClass) {
            counts.push_back(lib->getNumberSensors(sensorClass, 1));
        }
        float reading = 0;
        counts.push_back(lib->getSensorReading(2, 1, 2, &reading));  // the second voltage's record
        EXPECT_EQ(closeLibrary(), 0);
        return counts;
    };
    FakeComm first(1);
    script(first, true);
    std::vector<int32_t> before = discover(first);
    ASSERT_EQ(before.size(), 5u);
    EXPECT_EQ(before[1], 2);
    EXPECT_EQ(before[4], ERR_SUCCESS);
    EXPECT_EQ(discover(first), before);  // the same counts, not twice as many

    FakeComm second(1);
    script(second, false);
    std::vector<int32_t> after = discover(second);
    ASSERT_EQ(after.size(), 5u);
    EXPECT_EQ(after[1], 1);
    EXPECT_EQ(after[4], ERR_INVALID_INDEX);  // no record left from the first SP
}

}  // namespace
