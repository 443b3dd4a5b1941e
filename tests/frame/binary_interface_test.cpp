// The binary interface a host compiles against: virtual slot positions and field offsets of the
// host headers.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "kit/abi_probe.h"
#include "yat/bus_comm.h"
#include "yat/device_lib.h"
#include "yat/libyat.h"
#include "yat/sensor_sink.h"

namespace {

using yattest::kVptr;
using yattest::offsetIn;
using yattest::slotOf;

TEST(BinaryInterface, DeviceLibSlotsAreInHostOrder) {
    EXPECT_SLOT(cDeviceLib, initSensors, 0);
    EXPECT_SLOT(cDeviceLib, getNodeCount, 1);
    EXPECT_SLOT(cDeviceLib, reservedSlot2, 2);
    EXPECT_SLOT(cDeviceLib, getNumberSensors, 3);
    EXPECT_SLOT(cDeviceLib, getSensorReading, 4);
    EXPECT_SLOT(cDeviceLib, getSensorLimits, 5);
    EXPECT_SLOT(cDeviceLib, getSensorStatus, 6);
    EXPECT_SLOT(cDeviceLib, getSensorType, 7);
    EXPECT_SLOT(cDeviceLib, getSensorLocation, 8);
    EXPECT_SLOT(cDeviceLib, capabilityFlag9, 9);
    EXPECT_SLOT(cDeviceLib, registerForAsynchEvents, 10);
    EXPECT_SLOT(cDeviceLib, deRegisterForAsynchEvents, 11);
    EXPECT_SLOT(cDeviceLib, checkSystemHealth, 12);
    EXPECT_SLOT(cDeviceLib, reservedSlot13, 13);
    EXPECT_SLOT(cDeviceLib, getFirstLogEntry, 14);
    EXPECT_SLOT(cDeviceLib, getNextLogEntry, 15);
    EXPECT_SLOT(cDeviceLib, reservedSlot16, 16);
    EXPECT_SLOT(cDeviceLib, reservedSlot17, 17);
    EXPECT_SLOT(cDeviceLib, reservedSlot18, 18);
    EXPECT_SLOT(cDeviceLib, reservedSlot19, 19);
    EXPECT_SLOT(cDeviceLib, reservedSlot20, 20);
    EXPECT_SLOT(cDeviceLib, reservedSlot21, 21);
    EXPECT_SLOT(cDeviceLib, getDefaultThresholds, 22);
    EXPECT_SLOT(cDeviceLib, getVPDData, 23);
    EXPECT_SLOT(cDeviceLib, eraseLog, 24);
    EXPECT_SLOT(cDeviceLib, reservedSlot25, 25);
    EXPECT_SLOT(cDeviceLib, reservedSlot26, 26);
    EXPECT_SLOT(cDeviceLib, getBluelightStatus, 27);
    EXPECT_SLOT(cDeviceLib, setBluelightStatus, 28);
    EXPECT_SLOT(cDeviceLib, getSensorInstance, 29);
    EXPECT_SLOT(cDeviceLib, getDHCPEnable, 30);
    EXPECT_SLOT(cDeviceLib, getIPConfigInfo, 31);
    EXPECT_SLOT(cDeviceLib, getIPConfigString, 32);
    EXPECT_SLOT(cDeviceLib, setDHCPEnable, 33);
    EXPECT_SLOT(cDeviceLib, setIPConfigInfo, 34);
    EXPECT_SLOT(cDeviceLib, getFirmwareData, 35);
    EXPECT_SLOT(cDeviceLib, getTypeSupportLevel, 36);
    EXPECT_SLOT(cDeviceLib, setIPConfigString, 37);
    EXPECT_SLOT(cDeviceLib, resetServiceProcessor, 38);
    EXPECT_SLOT(cDeviceLib, getSPType, 39);
    EXPECT_SLOT(cDeviceLib, getSystemState, 40);
    EXPECT_SLOT(cDeviceLib, getMachineVPD, 41);
    EXPECT_SLOT(cDeviceLib, getWatchogTimers, 42);
    EXPECT_SLOT(cDeviceLib, getPostBiosVPD, 43);
    EXPECT_SLOT(cDeviceLib, getMonitorPFAEventSupport, 44);
    EXPECT_SLOT(cDeviceLib, monitorPFAEvents, 45);
    EXPECT_SLOT(cDeviceLib, getGlintStatus, 46);
    EXPECT_SLOT(cDeviceLib, initGlint, 47);
    EXPECT_SLOT(cDeviceLib, capabilityFlag48, 48);
    EXPECT_SLOT(cDeviceLib, getPasswordInformation, 49);
    EXPECT_SLOT(cDeviceLib, setPasswordInformation, 50);
    EXPECT_SLOT(cDeviceLib, getNetworkPort, 51);
    EXPECT_SLOT(cDeviceLib, setNetworkPort, 52);
    EXPECT_SLOT(cDeviceLib, getLoginPolicyValue, 53);
    EXPECT_SLOT(cDeviceLib, setLoginPolicyValue, 54);
    EXPECT_SLOT(cDeviceLib, getRemoteAlertConfiguration, 55);
    EXPECT_SLOT(cDeviceLib, getSMTPConfiguration, 56);
    EXPECT_SLOT(cDeviceLib, getSNMPConfiguration, 57);
    EXPECT_SLOT(cDeviceLib, getSNMPCommunityConfiguration, 58);
    EXPECT_SLOT(cDeviceLib, getSNMPCommunityIP, 59);
    EXPECT_SLOT(cDeviceLib, setRemoteAlertConfiguration, 60);
    EXPECT_SLOT(cDeviceLib, setSMTPConfiguration, 61);
    EXPECT_SLOT(cDeviceLib, setSNMPConfiguration, 62);
    EXPECT_SLOT(cDeviceLib, setSNMPCommunityConfiguration, 63);
    EXPECT_SLOT(cDeviceLib, setSNMPCommunityIP, 64);
    EXPECT_SLOT(cDeviceLib, getOOBAlertConfiguration, 65);
    EXPECT_SLOT(cDeviceLib, setOOBAlertConfiguration, 66);
    EXPECT_SLOT(cDeviceLib, initEvents, 67);
    using EventConfigurationFull = int32_t (cDeviceLib::*)(uint32_t, uint32_t, int32_t*, char*, int32_t*, uint8_t*);
    using EventConfigurationEnable = int32_t (cDeviceLib::*)(uint32_t, uint32_t, uint8_t*);
    EXPECT_EQ(slotOf(static_cast<EventConfigurationFull>(&cDeviceLib::getEventConfiguration)), 68);
    EXPECT_EQ(slotOf(static_cast<EventConfigurationEnable>(&cDeviceLib::getEventConfiguration)), 69);
    EXPECT_SLOT(cDeviceLib, getUserAccount, 70);
    EXPECT_SLOT(cDeviceLib, setUserAccount, 71);
}

// A virtual added by a subclass lands right after the base's last slot, which shows that the base
// has nothing else virtual (no destructor, no hidden extra slot).
struct AfterDeviceLib : cDeviceLib {
    AfterDeviceLib() : cDeviceLib(nullptr, nullptr, nullptr, nullptr) {}
    virtual void added() {}
};
struct AfterBusComm : cBusComm {
    virtual void added() {}
};
struct AfterSink : cSensorSink {
    virtual void added() {}
};

TEST(BinaryInterface, InterfacesHaveNoFurtherVirtuals) {
    EXPECT_EQ(slotOf(&AfterDeviceLib::added), 72);
    EXPECT_EQ(slotOf(&AfterBusComm::added), 4);
    EXPECT_EQ(slotOf(&AfterSink::added), 28);
    EXPECT_FALSE(std::has_virtual_destructor_v<cDeviceLib>);
    EXPECT_FALSE(std::has_virtual_destructor_v<cBusComm>);
    EXPECT_FALSE(std::has_virtual_destructor_v<cSensorSink>);
    EXPECT_FALSE(std::has_virtual_destructor_v<cLibYAT>);
}

TEST(BinaryInterface, LibraryObjectOverridesInTheSameSlots) {
    EXPECT_SLOT(cLibYAT, initSensors, 0);
    EXPECT_SLOT(cLibYAT, getNodeCount, 1);
    EXPECT_SLOT(cLibYAT, capabilityFlag9, 9);
    EXPECT_SLOT(cLibYAT, getDefaultThresholds, 22);
    EXPECT_SLOT(cLibYAT, getTypeSupportLevel, 36);
    EXPECT_SLOT(cLibYAT, getSPType, 39);
    EXPECT_SLOT(cLibYAT, capabilityFlag48, 48);
}

TEST(BinaryInterface, BusCommSlots) {
    EXPECT_SLOT(cBusComm, sendCommand, 0);
    EXPECT_SLOT(cBusComm, registerForEvents, 1);
    EXPECT_SLOT(cBusComm, deRegisterForEvents, 2);
    EXPECT_SLOT(cBusComm, getNodeCount, 3);
}

TEST(BinaryInterface, SensorSinkSlots) {
    EXPECT_SLOT(cSensorSink, hostSlot0, 0);
    EXPECT_SLOT(cSensorSink, hostSlot23, 23);
    EXPECT_SLOT(cSensorSink, reportSensor, 24);
    EXPECT_SLOT(cSensorSink, hostSlot25, 25);
    EXPECT_SLOT(cSensorSink, addRegistryText, 26);
    EXPECT_SLOT(cSensorSink, findRegistryText, 27);
}

struct BusCommLayout : cBusComm {
    ptrdiff_t hostWord0At() const { return offsetIn<cBusComm>(*this, hostWord0); }
    ptrdiff_t deviceIdAt() const { return offsetIn<cBusComm>(*this, deviceID); }
    ptrdiff_t libFileNameAt() const { return offsetIn<cBusComm>(*this, libFileName); }
    ptrdiff_t hostWord1At() const { return offsetIn<cBusComm>(*this, hostWord1); }
};
struct LM78Layout : cLM78Bus {
    ptrdiff_t valuesAt() const { return offsetIn<cBusComm>(*this, lm78Values); }
};
struct H8Layout : cH8Dev {
    ptrdiff_t valuesAt() const { return offsetIn<cBusComm>(*this, h8Values); }
};

TEST(BinaryInterface, BusCommFieldsFollowTheTablePointer) {
    BusCommLayout layout;
    EXPECT_EQ(layout.hostWord0At(), kVptr + 0);
    EXPECT_EQ(layout.deviceIdAt(), kVptr + 4);
    EXPECT_EQ(layout.libFileNameAt(), kVptr + 8);
    EXPECT_EQ(layout.hostWord1At(), kVptr + 136);
    EXPECT_EQ(sizeof(cBusComm), (kVptr + 140 + alignof(cBusComm) - 1) / alignof(cBusComm) * alignof(cBusComm));
    EXPECT_EQ(static_cast<const void*>(layout.getLibFileName()),
              static_cast<const void*>(reinterpret_cast<const char*>(&layout) + kVptr + 8));

    EXPECT_EQ(LM78Layout().valuesAt(), kVptr + 140);
    EXPECT_EQ(H8Layout().valuesAt(), kVptr + 140);
}

struct DeviceLibLayout : cDeviceLib {
    DeviceLibLayout() : cDeviceLib(nullptr, nullptr, nullptr, nullptr) {}
    void check() const {
        EXPECT_EQ(offsetIn<cDeviceLib>(*this, eventTag), kVptr + 0);
        EXPECT_EQ(offsetIn<cDeviceLib>(*this, logShortName), kVptr + 20);
        EXPECT_EQ(offsetIn<cDeviceLib>(*this, logLongName), kVptr + 40);
        EXPECT_EQ(offsetIn<cDeviceLib>(*this, deviceKindName), kVptr + 72);
        EXPECT_EQ(offsetIn<cDeviceLib>(*this, spType), kVptr + 104);
    }
};

TEST(BinaryInterface, DeviceLibFieldsFollowTheTablePointer) { DeviceLibLayout().check(); }

}  // namespace
