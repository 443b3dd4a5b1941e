// System state, watchdog timers and firmware data.

#include "sysinfo/firmware_command.h"
#include "yat/system_info_records.h"
#include "sysinfo_fixture.h"

namespace sysinfotest {
namespace {

constexpr const char* kStateTag = "clibyat.getSystemState";
constexpr const char* kWatchdogTag = "clibyat.getWatchogTimers";

class SystemInfoTest : public LibraryTest {
protected:
    void SetUp() override { open(typeVector(2)); }
};

TEST_F(SystemInfoTest, SystemStateReadsFourItemsInOrder) {
    comm.answer("4.3.6", {0x05});
    comm.answer("4.3.3.1", {0x10, 0x0E, 0x00, 0x00});  // 3600 s
    comm.answer("4.3.3.2", {0x2C, 0x01});
    comm.answer("6.1", {0x02});
    SystemStateInfo info{};
    EXPECT_EQ(lib->getSystemState(1, &info), ERR_SUCCESS);
    EXPECT_EQ(info.sysState, 5);
    EXPECT_EQ(info.powerOnHours, 1);
    EXPECT_EQ(info.restartCount, 300);
    EXPECT_EQ(info.powerStatusOn, 1);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"4.3.6", "4.3.3.1", "4.3.3.2", "6.1"}));
    for (const auto& request : comm.requests()) {
        EXPECT_EQ(request.node, 1);
        EXPECT_EQ(request.type, 2);
        EXPECT_TRUE(request.data.empty());
    }
    EXPECT_TRUE(log.has(kStateTag, "got sysState: [5]"));
    EXPECT_TRUE(log.has(kStateTag, "got powerOnHours: [1]"));
    EXPECT_TRUE(log.has(kStateTag, "got restartCount: [300]"));
    EXPECT_TRUE(log.has("clibyat.getSystemState()", "just sent power status cmd....so let's interpret it"));
    EXPECT_TRUE(log.has(kStateTag, "got powerStatusOn: [1]"));
    EXPECT_TRUE(log.has(kStateTag, "sendCommand failed:  retVal=[0]"));
}

TEST_F(SystemInfoTest, PowerOnHoursRoundDown) {
    comm.answer("4.3.3.1", {0x0F, 0x0E, 0x00, 0x00});  // 3599 s
    comm.answer("6.1", {0x00});
    SystemStateInfo info{};
    info.powerStatusOn = 7;
    info.powerOnHours = 99;
    EXPECT_EQ(lib->getSystemState(0, &info), ERR_SUCCESS);
    EXPECT_EQ(info.powerOnHours, 0);
    EXPECT_EQ(info.powerStatusOn, 0);
}

TEST_F(SystemInfoTest, FailedItemsLeaveTheirFields) {
    comm.status("4.3.6", 7, {0x05});
    comm.fail("4.3.3.1", 3);
    comm.answer("4.3.3.2", {0x2C});  // one byte where two are needed
    comm.fail("6.1", 6);
    SystemStateInfo info{};
    info.sysState = 11;
    info.powerOnHours = 12;
    info.restartCount = 13;
    info.powerStatusOn = 14;
    EXPECT_EQ(lib->getSystemState(0, &info), 6);
    EXPECT_EQ(info.sysState, 11);
    EXPECT_EQ(info.powerOnHours, 12);
    EXPECT_EQ(info.restartCount, 13);
    EXPECT_EQ(info.powerStatusOn, 14);
    EXPECT_EQ(comm.requests().size(), 4u);
    EXPECT_TRUE(log.has(kStateTag, "sendCommand failed:  retVal=[6]"));
}

TEST_F(SystemInfoTest, RefusedPowerStatusIsNoSuccess) {
    comm.answer("4.3.6", {0x05});
    comm.status("6.1", 7);
    SystemStateInfo info{};
    info.powerStatusOn = 9;
    EXPECT_EQ(lib->getSystemState(0, &info), ERR_BAD_ANSWER);
    EXPECT_EQ(info.sysState, 5);
    EXPECT_EQ(info.powerStatusOn, 9);
}

TEST(SystemInfoNoDeviceTest, NothingSentWithoutDevice) {
    yattest::LogCapture log;
    cLibYAT lib(nullptr);
    SystemStateInfo state{};
    state.sysState = 3;
    EXPECT_EQ(lib.getSystemState(0, &state), ERR_FAILED);
    EXPECT_EQ(state.sysState, 3);
    WatchdogTimersInfo timers{1, 2, 3, 4};
    EXPECT_EQ(lib.getWatchogTimers(0, &timers), ERR_SUCCESS);
    EXPECT_EQ(timers.postWatchdog, 1);
    EXPECT_EQ(timers.powerOffDelay, 4);
    EXPECT_TRUE(log.has(kWatchdogTag, "sendCommand failed:  retVal=[0]"));
    FirmwareInfo firmware;
    EXPECT_EQ(lib.getFirmwareData(0, 0, &firmware, 0), ERR_FAILED);
    EXPECT_TRUE(log.has("cLibYAT::getFirmwareData", "not connected to the device"));
}

TEST_F(SystemInfoTest, WatchdogsMultiplyPostAndLoaderOnly) {
    comm.answer("5.1.1", {10});
    comm.answer("5.1.3", {2});
    comm.answer("5.1.2", {10});
    comm.answer("6.2.1", {0x2C, 0x01});
    WatchdogTimersInfo info{};
    EXPECT_EQ(lib->getWatchogTimers(2, &info), ERR_SUCCESS);
    EXPECT_EQ(info.postWatchdog, 300);
    EXPECT_EQ(info.loaderWatchdog, 60);
    EXPECT_EQ(info.osWatchdog, 10);
    EXPECT_EQ(info.powerOffDelay, 300);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"5.1.1", "5.1.3", "5.1.2", "6.2.1"}));
    EXPECT_TRUE(log.has(kWatchdogTag, "got post watchdog timer: [300]"));
    EXPECT_TRUE(log.has(kWatchdogTag, "got loader watchdog timer: [60]"));
    EXPECT_TRUE(log.has(kWatchdogTag, "got OS watchdog timer: [10]"));
    EXPECT_TRUE(log.has(kWatchdogTag, "got power off delay: [300]"));
    EXPECT_TRUE(log.has("cspcmd: cWatchdog.getPostWatchdog()", "entered"));
    EXPECT_TRUE(log.has("cspcmd: cWatchdog.getPowerOffDelayData()", "read was sucessful...here's the raw data buffer"));
    EXPECT_TRUE(log.has(kWatchdogTag, "sendCommand failed:  retVal=[0]"));
}

TEST_F(SystemInfoTest, WatchdogFailureRules) {
    // One item failing: -1 there, success overall.
    comm.fail("5.1.1", 4);
    comm.answer("5.1.3", {1});
    comm.answer("5.1.2", {255});
    comm.answer("6.2.1", {0xFF, 0xFF});
    WatchdogTimersInfo info{};
    EXPECT_EQ(lib->getWatchogTimers(0, &info), ERR_SUCCESS);
    EXPECT_EQ(info.postWatchdog, -1);
    EXPECT_EQ(info.loaderWatchdog, 30);
    EXPECT_EQ(info.osWatchdog, 255);
    EXPECT_EQ(info.powerOffDelay, 65535);

    // All four failing by transport: the power-off delay's send result.
    comm.clearRules();
    comm.fail("5.1.1", 1);
    comm.fail("5.1.3", 2);
    comm.status("5.1.2", 7, {3});
    comm.fail("6.2.1", 6);
    EXPECT_EQ(lib->getWatchogTimers(0, &info), 6);
    EXPECT_EQ(info.postWatchdog, -1);
    EXPECT_EQ(info.loaderWatchdog, -1);
    EXPECT_EQ(info.osWatchdog, -1);
    EXPECT_EQ(info.powerOffDelay, -1);
    EXPECT_TRUE(log.has(kWatchdogTag, "sendCommand failed:  retVal=[6]"));

    // All four refused by the SP (the last send went through): still a failure.
    comm.clearRules();
    info = WatchdogTimersInfo{};
    EXPECT_EQ(lib->getWatchogTimers(0, &info), ERR_BAD_ANSWER);
    EXPECT_EQ(info.powerOffDelay, -1);

    // Answers too short for their item count as failed items.
    comm.clearRules();
    comm.answer("5.1.1", {});
    comm.answer("5.1.3", {1});
    comm.answer("5.1.2", {1});
    comm.answer("6.2.1", {0x05});
    EXPECT_EQ(lib->getWatchogTimers(0, &info), ERR_SUCCESS);
    EXPECT_EQ(info.postWatchdog, -1);
    EXPECT_EQ(info.powerOffDelay, -1);
    EXPECT_EQ(info.osWatchdog, 1);
}

TEST_F(SystemInfoTest, FirmwareIPMIDeviceId) {
    comm.answer("ff.12.5", {0x00, 0x20, 0x01, 0x02, 0x05, 0x02, 0x00, 0x4D, 0x4F, 0x00, 0x34, 0x12});
    FirmwareInfo info;
    info.buildId = "keep";
    EXPECT_EQ(lib->getFirmwareData(0, 2, &info, 0), ERR_SUCCESS);
    EXPECT_EQ(info.revision, "2.05");
    EXPECT_EQ(info.manufacturerId, 0x4D + 256 * 0x4F);
    EXPECT_EQ(info.productId, 0x34 + 256 * 0x12);
    EXPECT_EQ(info.buildId, "keep");
    auto requests = comm.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].type, 0);
    EXPECT_EQ(requests[0].data, (Bytes{0x06, 0x01}));

    // Major revision masked to 7 bits, BCD minor, 20-bit manufacturer.
    comm.clearRules();
    comm.answer("ff.12.5", {0x00, 0x20, 0x01, 0x82, 0x41, 0x02, 0x00, 0x01, 0x02, 0xF3, 0x00, 0x00});
    EXPECT_EQ(lib->getFirmwareData(0, 2, &info, 0), ERR_SUCCESS);
    EXPECT_EQ(info.revision, "2.41");
    EXPECT_EQ(info.manufacturerId, 0x030201);

    // Completion code set, or too short: 2 and nothing written.
    comm.clearRules();
    comm.answer("ff.12.5", {0xC1, 0x20, 0x01, 0x09, 0x09, 0x02, 0x00, 0x4D, 0x4F, 0x00, 0x34, 0x12});
    EXPECT_EQ(lib->getFirmwareData(0, 2, &info, 0), ERR_BAD_ANSWER);
    comm.clearRules();
    comm.answer("ff.12.5", {0x00, 0x20, 0x01, 0x09, 0x09});
    EXPECT_EQ(lib->getFirmwareData(0, 2, &info, 0), ERR_BAD_ANSWER);
    EXPECT_EQ(info.revision, "2.41");
}

TEST_F(SystemInfoTest, FirmwareRevisionBytes) {
    comm.answer("ff.12.5", {0x00, 0x01, 0x02, 0x0A, 0x14});
    FirmwareInfo info;
    EXPECT_EQ(lib->getFirmwareData(0, 6, &info, 3), ERR_SUCCESS);
    EXPECT_EQ(info.revision, "1.2.10.20");
    EXPECT_EQ(info.productId, 3);
    EXPECT_EQ(comm.requests().back().data, (Bytes{0x3A, 0x6B, 0x03}));
    EXPECT_EQ(comm.requests().back().type, 0);

    FirmwareInfo two;
    EXPECT_EQ(lib->getFirmwareData(0, 3, &two, 0x1FE), ERR_SUCCESS);
    EXPECT_EQ(two.revision, "01");
    EXPECT_EQ(two.productId, 0x1FE);
    EXPECT_EQ(comm.requests().back().data, (Bytes{0x3A, 0x6B, 0xFE}));

    comm.clearRules();
    comm.answer("ff.12.5", {0x00, 0x01, 0x02});  // kind 6 needs four revision bytes
    FirmwareInfo unchanged;
    EXPECT_EQ(lib->getFirmwareData(0, 6, &unchanged, 3), ERR_BAD_ANSWER);
    EXPECT_EQ(unchanged.productId, 0);
    EXPECT_EQ(lib->getFirmwareData(0, 3, &unchanged, 3), ERR_SUCCESS);
    EXPECT_EQ(unchanged.revision, "01");
}

TEST_F(SystemInfoTest, FirmwareSPLayouts) {
    Bytes data(70, 0);
    put(data, 13, "BLD123456XX");  // 9 characters taken, no terminator
    put(data, 22, "SER4567");
    put(data, 48, "20240101");
    data[68] = 7;
    comm.answer("4.3.5.1", data);
    FirmwareInfo info;
    info.manufacturerId = 77;
    EXPECT_EQ(lib->getFirmwareData(0, 0, &info, 0), ERR_SUCCESS);
    EXPECT_EQ(info.buildId, "BLD123456");
    EXPECT_EQ(info.serialNumber, "SER4567");
    EXPECT_EQ(info.buildDate, "20240101");
    EXPECT_EQ(info.revision, "1.07");
    EXPECT_EQ(info.manufacturerId, 77);
    EXPECT_TRUE(log.has("cFirmware::getSPData", "at the end of command succeeded"));

    data[68] = 0xC8;
    comm.answer("4.3.5.1.1", data);
    EXPECT_EQ(lib->getFirmwareData(0, 1, &info, 0), ERR_SUCCESS);
    EXPECT_EQ(info.revision, "1.-56");

    Bytes shortLayout(32, 0);
    put(shortLayout, 0, "GRFW12");
    put(shortLayout, 23, "20231231");
    shortLayout[31] = 12;
    comm.answer("4.3.5.6.1", shortLayout);
    FirmwareInfo firmwareId;
    firmwareId.serialNumber = "keep";
    EXPECT_EQ(lib->getFirmwareData(0, 4, &firmwareId, 0), ERR_SUCCESS);
    EXPECT_EQ(firmwareId.buildId, "GRFW12");
    EXPECT_EQ(firmwareId.buildDate, "20231231");
    EXPECT_EQ(firmwareId.revision, "1.12");
    EXPECT_EQ(firmwareId.serialNumber, "keep");
}

TEST_F(SystemInfoTest, FirmwareFailures) {
    FirmwareInfo info;
    info.revision = "keep";
    EXPECT_EQ(lib->getFirmwareData(0, 0, nullptr, 0), ERR_INVALID_PARAMETER);
    EXPECT_TRUE(log.has("cLibYAT::getFirmwareData", "the parameters were wrong"));
    for (int32_t kind : {5, 7, 9, -1}) EXPECT_EQ(lib->getFirmwareData(0, kind, &info, 0), ERR_FAILED);
    EXPECT_TRUE(comm.requests().empty());

    comm.fail("4.3.5.1", 9);
    EXPECT_EQ(lib->getFirmwareData(0, 0, &info, 0), ERR_FAILED);  // the device's code is not passed on

    comm.clearRules();
    comm.status("4.3.5.1", 3, Bytes(70, 0x31));
    EXPECT_EQ(lib->getFirmwareData(0, 0, &info, 0), ERR_BAD_ANSWER);
    EXPECT_TRUE(log.has("cFirmware::getSPData", "the command itself failed"));

    comm.clearRules();
    comm.answer("4.3.5.1", Bytes(68, 0x31));  // one byte short of the revision
    EXPECT_EQ(lib->getFirmwareData(0, 0, &info, 0), ERR_BAD_ANSWER);

    comm.clearRules();
    comm.answer("4.3.5.1", Bytes(70, 0x31)).echoLength(2);
    EXPECT_EQ(lib->getFirmwareData(0, 0, &info, 0), ERR_BAD_ANSWER);
    EXPECT_EQ(info.revision, "keep");
}

TEST(FirmwareTextTest, VersionAndTwoDigitTexts) {
    EXPECT_EQ(firmwareVersionText(5), "1.05");
    EXPECT_EQ(firmwareVersionText(0), "1.00");
    EXPECT_EQ(firmwareVersionText(99), "1.99");
    EXPECT_EQ(firmwareVersionText(127), "1.127");
    EXPECT_EQ(firmwareVersionText(0xC8), "1.-56");
    EXPECT_EQ(twoDigitText(7), "07");
    EXPECT_EQ(twoDigitText(10), "10");
    EXPECT_EQ(twoDigitText(255), "255");
}

}  // namespace
}  // namespace sysinfotest
