// The library driven by the simulator's default scenario, in process: what a host sees.

#include <gtest/gtest.h>

#include "frame/libyat.h"
#include "yat/result_codes.h"
#include "kit/log_reader.h"
#include "sim/sim_bus_comm.h"
#include "yat/system_info_records.h"
#include "yat/vpd.h"
#include "yat/vpd_records.h"

namespace {

using yatsim::SimBusComm;

class SimLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(openLibrary(&lib, &comm), ERR_SUCCESS);
        ASSERT_NE(lib, nullptr);
        host = lib;
    }
    void TearDown() override { closeLibrary(); }

    yattest::LogCapture log;
    SimBusComm comm;
    cLibYAT* lib = nullptr;
    cDeviceLib* host = nullptr;
};

TEST_F(SimLibraryTest, DetectsTheSpTypeFromTheSummary) {
    int32_t type = -1;
    EXPECT_EQ(host->getSPType(&type), ERR_SUCCESS);
    EXPECT_EQ(type, 7);  // summary type 3 with vector 17, without 20 and 26
    EXPECT_EQ(host->getNodeCount(), 2u);
}

TEST_F(SimLibraryTest, SystemStateAndWatchdogsOfEachNode) {
    SystemStateInfo state{};
    ASSERT_EQ(host->getSystemState(1, &state), ERR_SUCCESS);
    EXPECT_EQ(state.sysState, 4);
    EXPECT_EQ(state.powerOnHours, 8119);
    EXPECT_EQ(state.restartCount, 35);
    EXPECT_EQ(state.powerStatusOn, 1);

    WatchdogTimersInfo timers{};
    ASSERT_EQ(host->getWatchogTimers(0, &timers), ERR_SUCCESS);
    EXPECT_EQ(timers.postWatchdog, 300);
    EXPECT_EQ(timers.loaderWatchdog, 120);
    EXPECT_EQ(timers.osWatchdog, 120);
    EXPECT_EQ(timers.powerOffDelay, 45);
}

TEST_F(SimLibraryTest, FirmwareLevels) {
    FirmwareInfo bios;
    ASSERT_EQ(host->getFirmwareData(0, 0, &bios, 0), ERR_SUCCESS);
    EXPECT_EQ(bios.buildId, "YKE151AUS");
    EXPECT_EQ(bios.serialNumber, "78B2914");
    EXPECT_EQ(bios.buildDate, "06/14/24");
    EXPECT_EQ(bios.revision, "1.21");

    FirmwareInfo ipmi;
    ASSERT_EQ(host->getFirmwareData(0, 2, &ipmi, 0), ERR_SUCCESS);
    EXPECT_EQ(ipmi.revision, "2.41");
    EXPECT_EQ(ipmi.manufacturerId, 0xFF0A1);
    EXPECT_EQ(ipmi.productId, 0x0123);

    FirmwareInfo sp;
    ASSERT_EQ(host->getFirmwareData(0, 4, &sp, 0), ERR_SUCCESS);
    EXPECT_EQ(sp.buildId, "YKET42A");
    EXPECT_EQ(sp.buildDate, "05/02/24");
    EXPECT_EQ(sp.revision, "1.42");

    FirmwareInfo component;
    ASSERT_EQ(host->getFirmwareData(0, 6, &component, 1), ERR_SUCCESS);
    EXPECT_EQ(component.revision, "1.4.2.17");
    EXPECT_EQ(component.productId, 1);
    FirmwareInfo missing;
    EXPECT_EQ(host->getFirmwareData(0, 6, &missing, 9), ERR_BAD_ANSWER);  // unknown component
}

TEST_F(SimLibraryTest, MachineAndPostBiosVpd) {
    MachineVPDInfo machine{};
    ASSERT_EQ(host->getMachineVPD(1, &machine), ERR_SUCCESS);
    EXPECT_STREQ(machine.uuid, "9A72C3D5E8114B6FA0D2C4B7E1F38A56");
    EXPECT_EQ(std::string(machine.machineType, 4), "8872");
    EXPECT_EQ(std::string(machine.model, 3), "4RX");
    EXPECT_EQ(std::string(machine.serialNumber, 7), "78B2915");

    PostBiosVPDInfo bios{};
    ASSERT_EQ(host->getPostBiosVPD(0, &bios), ERR_SUCCESS);
    EXPECT_STREQ(bios.buildId, "YKE151AUS");
    EXPECT_STREQ(bios.machineTypeModel, "88724RX");
    EXPECT_EQ(bios.revision, 21);
}

TEST_F(SimLibraryTest, VpdOfEveryDeviceKind) {
    VPD planar;
    ASSERT_EQ(host->getVPDData(0, 17, 1, &planar), ERR_SUCCESS);
    EXPECT_EQ(planar.get_EEPROM_SERIAL_NUMBER(), "YB10KQ41C7A2");
    EXPECT_EQ(planar.get_EEPROM_MANUFACTURER_ID(), "YATS");
    EXPECT_EQ(planar.get_EEPROM_PART_NUMBER(), "42D3170");
    EXPECT_EQ(planar.get_EEPROM_FRU_NUMBER(), "42D3171");

    VPD supply;
    ASSERT_EQ(host->getVPDData(1, 9, 2, &supply), ERR_SUCCESS);
    EXPECT_EQ(supply.get_EEPROM_SERIAL_NUMBER(), "YP4A1K120866");
    EXPECT_EQ(supply.get_EEPROM_FRU_NUMBER(), "24R2721");

    VPD absent;
    EXPECT_EQ(host->getVPDData(0, 9, 3, &absent), ERR_INVALID_VPD);  // status 2: no third supply

    VPD running;  // the running SP firmware answers with its identifier
    ASSERT_EQ(host->getVPDData(0, 18, 1, &running), ERR_SUCCESS);
    EXPECT_EQ(running.get_FIRMWARE_IMAGE_BUILD_ID(), "YKET42A");
    EXPECT_EQ(running.get_FIRMWARE_IMAGE_VERSION(), "1.42");

    VPD boot;
    ASSERT_EQ(host->getVPDData(0, 19, 1, &boot), ERR_SUCCESS);
    EXPECT_EQ(boot.get_FIRMWARE_IMAGE_BUILD_ID(), "YKBT11A");
    EXPECT_EQ(boot.get_FIRMWARE_IMAGE_FILENAME(), "ykbt11a.bin");

    // Every other kind of the table reads its own device.
    const std::pair<int32_t, const char*> kinds[] = {{2, "YM30CB118201"},  {3, "YC31PB220417"},  {4, "YC31PB220455"},
                                                     {6, "YF12BP093311"},  {11, "YL05MD120032"}, {13, "YR22DB004190"},
                                                     {14, "YE07MP001276"}, {15, "YR22IO004202"}, {16, "YB20SP08814A"}};
    for (const auto& [kind, serial] : kinds) {
        VPD device;
        ASSERT_EQ(host->getVPDData(kind == 16 ? 1 : 0, kind, 1, &device), ERR_SUCCESS) << kind;
        EXPECT_EQ(device.get_EEPROM_SERIAL_NUMBER(), serial) << kind;
    }

    VPD driver;
    ASSERT_EQ(host->getVPDData(0, 21, 1, &driver), ERR_SUCCESS);
    EXPECT_EQ(driver.get_FIRMWARE_IMAGE_VERSION(), "5.21.0");
}

TEST_F(SimLibraryTest, DasdLengthSearchMeetsTheDeviceReadLimit) {
    comm.clearHistory();
    VPD drive;
    ASSERT_EQ(host->getVPDData(0, 7, 1, &drive), ERR_SUCCESS);
    EXPECT_EQ(drive.get_EEPROM_SERIAL_NUMBER(), "YD6B2H004411");
    std::vector<int> lengths;
    for (const auto& request : comm.history()) {
        ASSERT_EQ(request.command, "4.3.5.e.1");
        ASSERT_EQ(request.data.size(), 4u);
        lengths.push_back(request.data[2] | (request.data[3] << 8));
    }
    EXPECT_EQ(lengths, (std::vector<int>{96, 80, 88, 92, 90, 91, 90}));
}

}  // namespace
