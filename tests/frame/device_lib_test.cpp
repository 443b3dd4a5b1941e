// Base behaviours of cDeviceLib and cBusComm, the copies of the comm device kinds, and the frame's own
// operations of cLibYAT.

#include <gtest/gtest.h>

#include <cstring>

#include "yat/bus_comm.h"
#include "yat/device_lib.h"
#include "frame/libyat.h"
#include "yat/result_codes.h"
#include "kit/log_reader.h"

namespace {

// A device library that overrides nothing.
class BareLib : public cDeviceLib {
public:
    BareLib(const char* a, const char* b, const char* c, const char* d) : cDeviceLib(a, b, c, d) {}
    const char* tag() const { return eventTag; }
    const char* shortName() const { return logShortName; }
    const char* longName() const { return logLongName; }
    const char* kind() const { return deviceKindName; }
    void setType(int32_t type) { spType = type; }
};

TEST(DeviceLibBase, StoresItsTextsCutToFit) {
    BareLib lib("EvSPRev", "YAT SEL", "YAT System Event Log", "YAT");
    EXPECT_STREQ(lib.tag(), "EvSPRev");
    EXPECT_STREQ(lib.shortName(), "YAT SEL");
    EXPECT_STREQ(lib.longName(), "YAT System Event Log");
    EXPECT_STREQ(lib.kind(), "YAT");
    EXPECT_EQ(lib.getSPType(nullptr), 0);

    BareLib unnamed(nullptr, nullptr, nullptr, nullptr);
    EXPECT_STREQ(unnamed.tag(), "");
    EXPECT_STREQ(unnamed.kind(), "Unknown");

    BareLib longTexts("0123456789012345678901234", "x", std::string(40, 'y').c_str(), std::string(40, 'z').c_str());
    EXPECT_STREQ(longTexts.tag(), "0123456789012345678");
    EXPECT_EQ(std::strlen(longTexts.longName()), 31u);
    EXPECT_EQ(std::strlen(longTexts.kind()), 31u);
}

TEST(DeviceLibBase, EveryOperationAnswersNotProvided) {
    BareLib bare("a", "b", "c", nullptr);
    bare.setType(6);
    cDeviceLib& lib = bare;  // calls go through the slot table, as a host's do
    int32_t i = 0x5555;
    uint32_t u = 0x5555;
    uint8_t b = 0x55;
    char text[8] = "keep";

    EXPECT_EQ(lib.initSensors(nullptr), 1);
    EXPECT_EQ(lib.getNodeCount(), 0u);
    EXPECT_FALSE(lib.reservedSlot2(&u));
    EXPECT_EQ(u, 0u);
    EXPECT_EQ(lib.getNumberSensors(1, 0), 1);
    EXPECT_EQ(lib.getSensorReading(1, 0, 0, &i), 1);
    EXPECT_EQ(lib.getSensorLimits(1, 0, 0, &i, &i), 1);
    EXPECT_EQ(lib.getSensorStatus(1, 0, 0, &i, &i, &i, &i), 1);
    EXPECT_EQ(lib.getSensorType(1, 0, 0, &i), 1);
    EXPECT_EQ(lib.getSensorLocation(1, 0, 0, &i), 1);
    EXPECT_FALSE(lib.capabilityFlag9());
    EXPECT_EQ(lib.registerForAsynchEvents(nullptr), 1);
    lib.deRegisterForAsynchEvents();
    EXPECT_EQ(lib.checkSystemHealth(0, &i, 0, 0), 1);
    EXPECT_EQ(lib.reservedSlot13(0, 0), 1);
    EXPECT_EQ(lib.getFirstLogEntry(0, nullptr), 1);
    EXPECT_EQ(lib.getNextLogEntry(0, nullptr), 1);
    EXPECT_EQ(lib.reservedSlot16(0, 0), 1);
    EXPECT_EQ(lib.reservedSlot17(0, 0), 1);
    EXPECT_EQ(lib.reservedSlot18(0, 0), 1);
    EXPECT_EQ(lib.reservedSlot19(0, 0), 1);
    EXPECT_EQ(lib.reservedSlot20(0, 0), 1);
    EXPECT_EQ(lib.reservedSlot21(0, 0, 0, 0), 1);
    EXPECT_EQ(lib.getDefaultThresholds(0, &i, &i, &i), 1);
    EXPECT_EQ(lib.getVPDData(0, 0, 0, nullptr), 1);
    EXPECT_EQ(lib.eraseLog(0), 1);
    EXPECT_FALSE(lib.reservedSlot25(0));
    EXPECT_FALSE(lib.reservedSlot26());
    EXPECT_EQ(lib.getBluelightStatus(0, &i), 1);
    EXPECT_EQ(lib.setBluelightStatus(0, 1), 1);
    EXPECT_EQ(lib.getSensorInstance(1, 0, 0, &i), 1);
    EXPECT_EQ(lib.getDHCPEnable(0, 0, &i), 1);
    EXPECT_EQ(lib.getIPConfigInfo(0, 0, text, text, text, &i), 1);
    EXPECT_EQ(lib.getIPConfigString(0, 0, text, sizeof text), 1);
    EXPECT_EQ(lib.setDHCPEnable(0, 0, 1), 1);
    EXPECT_EQ(lib.setIPConfigInfo(0, 0, "a", "b", "c"), 1);
    EXPECT_EQ(lib.getFirmwareData(0, 0, nullptr, 0), 1);
    EXPECT_EQ(lib.getTypeSupportLevel(0, 3), 0);
    EXPECT_EQ(lib.setIPConfigString(0, 0, "x", 1), 1);
    lib.resetServiceProcessor(0);
    EXPECT_EQ(lib.getSPType(&i), 6);
    EXPECT_EQ(lib.getSystemState(0, nullptr), 1);
    EXPECT_EQ(lib.getMachineVPD(0, nullptr), 1);
    EXPECT_EQ(lib.getWatchogTimers(0, nullptr), 1);
    EXPECT_EQ(lib.getPostBiosVPD(0, nullptr), 1);
    u = 0x5555;
    lib.getMonitorPFAEventSupport(&u);
    EXPECT_EQ(u, 0u);
    EXPECT_EQ(lib.monitorPFAEvents(nullptr), 1);
    EXPECT_EQ(lib.getGlintStatus(nullptr), 1);
    EXPECT_EQ(lib.initGlint(), 1);
    EXPECT_FALSE(lib.capabilityFlag48());
    EXPECT_EQ(lib.getPasswordInformation(0, &b, &i, &i, &b), 1);
    EXPECT_EQ(lib.setPasswordInformation(0, &b, &i, &i, &b), 1);
    EXPECT_EQ(lib.getNetworkPort(0, 0, &i), 1);
    EXPECT_EQ(lib.setNetworkPort(0, 0, 80), 1);
    EXPECT_EQ(lib.getLoginPolicyValue(0, &i), 1);
    EXPECT_EQ(lib.setLoginPolicyValue(0, 1), 1);
    EXPECT_EQ(lib.getRemoteAlertConfiguration(0, &i, &i, &i, &i, &b), 1);
    EXPECT_EQ(lib.getSMTPConfiguration(0, 0, text, &u), 1);
    EXPECT_EQ(lib.getSNMPConfiguration(0, text, &i, text, &i, &i, &i), 1);
    EXPECT_EQ(lib.getSNMPCommunityConfiguration(0, 0, text, &i, &i), 1);
    EXPECT_EQ(lib.getSNMPCommunityIP(0, 0, 0, text, &i), 1);
    EXPECT_EQ(lib.setRemoteAlertConfiguration(0, &i, &i, &i, &b, &b), 1);
    EXPECT_EQ(lib.setSMTPConfiguration(0, 0, "smtp"), 1);
    EXPECT_EQ(lib.setSNMPConfiguration(0, "a", "b", &b, &b), 1);
    EXPECT_EQ(lib.setSNMPCommunityConfiguration(0, 0, "public", &b), 1);
    EXPECT_EQ(lib.setSNMPCommunityIP(0, 0, 0, "1.2.3.4"), 1);
    EXPECT_EQ(lib.getOOBAlertConfiguration(0, 0, &i, text, &i, text, &i, text, &i, text, &i, &i, &i, &i), 1);
    EXPECT_EQ(lib.setOOBAlertConfiguration(0, 0, &i, "a", "b", "c", "d", "e", &i, &i), 1);
    EXPECT_EQ(lib.initEvents(), 1);
    EXPECT_EQ(lib.getEventConfiguration(0, 0, &i, text, &i, &b), 1);
    EXPECT_EQ(lib.getEventConfiguration(0, 0, &b), 1);
    EXPECT_EQ(lib.getUserAccount(0, 0, &i, &i, text, &i, &i, &i, text, &i, &i), 1);
    EXPECT_EQ(lib.setUserAccount(0, 0, &i, &i, &i, "user", "pw"), 1);

    EXPECT_EQ(i, 0x5555);  // nothing was written through an output pointer
    EXPECT_EQ(b, 0x55);
    EXPECT_STREQ(text, "keep");
}

TEST(BusCommBase, DefaultDeviceAnswersNotProvided) {
    cBusComm comm;
    uint8_t buffer[4096] = {};
    EXPECT_EQ(comm.sendCommand(0, buffer), 1u);
    EXPECT_EQ(comm.registerForEvents(0, buffer), 1u);
    EXPECT_EQ(comm.deRegisterForEvents(0), 1u);
    EXPECT_EQ(comm.getNodeCount(), 0u);
    EXPECT_EQ(comm.getDeviceID(), 0);
    EXPECT_STREQ(comm.getLibFileName(), "");
}

// Exposes the protected fields of the comm device kinds so copies can be compared field by field.
template <class Kind, size_t ValueCount>
class KindProbe : public Kind {
public:
    KindProbe() = default;
    explicit KindProbe(const Kind& other) : Kind(other) {}

    void fill(uint32_t seed) {
        this->hostWord0 = seed;
        this->setDeviceID(static_cast<int32_t>(seed + 1));
        for (size_t i = 0; i < sizeof this->libFileName; ++i)
            this->libFileName[i] = static_cast<char>('A' + (seed + i) % 26);
        this->hostWord1 = seed + 2;
        for (size_t i = 0; i < ValueCount; ++i) values()[i] = seed + 10 + static_cast<uint32_t>(i);
    }
    void expectSameAs(const KindProbe& other) const {
        EXPECT_EQ(this->hostWord0, other.hostWord0);
        EXPECT_EQ(this->getDeviceID(), other.getDeviceID());
        EXPECT_EQ(std::memcmp(this->libFileName, other.libFileName, sizeof this->libFileName), 0);  // all 128
        EXPECT_EQ(this->hostWord1, other.hostWord1);
        for (size_t i = 0; i < ValueCount; ++i) EXPECT_EQ(values()[i], other.values()[i]) << i;
    }

private:
    uint32_t* values();
    const uint32_t* values() const { return const_cast<KindProbe*>(this)->values(); }
};

template <>
uint32_t* KindProbe<cLM78Bus, 6>::values() {
    return lm78Values;
}
template <>
uint32_t* KindProbe<cH8Dev, 4>::values() {
    return h8Values;
}

template <class Probe, class Kind>
void expectMemberwiseCopies() {
    Probe source;
    source.fill(3);
    Probe copied(static_cast<const Kind&>(source));  // the kind's copy constructor
    copied.expectSameAs(source);

    Probe assigned;
    assigned.fill(17);
    static_cast<Kind&>(assigned) = static_cast<const Kind&>(source);  // the kind's copy assignment
    assigned.expectSameAs(source);
}

TEST(BusCommKinds, LM78BusCopiesEveryField) { expectMemberwiseCopies<KindProbe<cLM78Bus, 6>, cLM78Bus>(); }

TEST(BusCommKinds, H8DevCopiesEveryField) { expectMemberwiseCopies<KindProbe<cH8Dev, 4>, cH8Dev>(); }

// A comm device that counts what is asked of it.
class CountingComm : public cBusComm {
public:
    explicit CountingComm(int32_t id) { setDeviceID(id); }
    uint32_t sendCommand(int32_t, uint8_t*) override { return ++calls, 1; }
    uint32_t registerForEvents(uint32_t, uint8_t*) override { return ++calls, 1; }
    uint32_t deRegisterForEvents(uint32_t) override { return ++calls, 1; }
    uint32_t getNodeCount() override { return ++calls, 4; }
    int calls = 0;
};

class FrameOperations : public ::testing::Test {
protected:
    yattest::LogCapture log;
};

TEST_F(FrameOperations, NodeCountWithoutCommDeviceIsZeroAndAsksNothing) {
    cLibYAT none(nullptr);
    EXPECT_FALSE(none.libOk());
    EXPECT_EQ(none.getNodeCount(), 0u);

    CountingComm rejected(98);
    cLibYAT withRejected(&rejected);
    EXPECT_EQ(withRejected.comm(), nullptr);
    EXPECT_EQ(withRejected.getNodeCount(), 0u);
    EXPECT_EQ(rejected.calls, 0);

    CountingComm accepted(99);
    cLibYAT withAccepted(&accepted);
    int before = accepted.calls;
    EXPECT_EQ(static_cast<cDeviceLib&>(withAccepted).getNodeCount(), 4u);
    EXPECT_EQ(accepted.calls, before + 1);
}

TEST_F(FrameOperations, DefaultThresholdsAreSeventyFiveHundredAndZero) {
    cLibYAT lib(nullptr);
    int32_t first = -1;
    int32_t second = -1;
    int32_t third = -1;
    EXPECT_EQ(lib.getDefaultThresholds(12345, &first, &second, &third), ERR_SUCCESS);
    EXPECT_EQ(first, 75);
    EXPECT_EQ(second, 100);
    EXPECT_EQ(third, 0);
    EXPECT_EQ(lib.getDefaultThresholds(0, nullptr, nullptr, nullptr), ERR_SUCCESS);
}

TEST_F(FrameOperations, TypeSupportLevelAndCapabilityFlags) {
    cLibYAT lib(nullptr);
    cDeviceLib& base = lib;
    EXPECT_EQ(base.getTypeSupportLevel(0, 3), 3);
    EXPECT_EQ(base.getTypeSupportLevel(7, 6), 2);
    for (int32_t other : {-1, 0, 1, 2, 4, 5, 7, 100}) EXPECT_EQ(base.getTypeSupportLevel(0, other), 0) << other;
    EXPECT_TRUE(base.capabilityFlag9());
    EXPECT_TRUE(base.capabilityFlag48());
}

}  // namespace
