// SP type detection: the summary parser, the type table, the probes and the firmware prefix check.

#include "sysinfo/firmware_command.h"
#include "sysinfo/system_info.h"
#include "sysinfo/vss.h"
#include "sysinfo_fixture.h"

namespace sysinfotest {
namespace {

constexpr const char* kInitTag = "clibyat.initVectoredSystemSummary";
constexpr const char* kTypeTag = "clibyat.initVectoredSystemSummary()";
constexpr const char* kSPTypeTag = "clibyat.getSPType";

TEST(VectoredSystemSummaryTest, TypeOnlyGivesEmptyBitmap) {
    VectoredSystemSummary summary;
    Bytes data = typeVector(2);
    summary.init(data.data(), data.size());
    EXPECT_EQ(summary.vssType(), 2);
    EXPECT_TRUE(summary.complete());
    for (uint16_t id = 0; id < 200; ++id) EXPECT_FALSE(summary.hasVector(id)) << id;
}

TEST(VectoredSystemSummaryTest, CapabilityIdsAbove197AreSkippedAsFourByteVectors) {
    VectoredSystemSummary summary;
    Bytes data = concat({capability(197), capability(198), capability(0x0FFF), capability(0), typeVector(3)});
    summary.init(data.data(), data.size());
    EXPECT_TRUE(summary.hasVector(197));
    EXPECT_TRUE(summary.hasVector(0));
    EXPECT_FALSE(summary.hasVector(198));
    EXPECT_FALSE(summary.hasVector(196));
    EXPECT_EQ(summary.vssType(), 3);
}

TEST(VectoredSystemSummaryTest, FixedAndVariableVectorLengths) {
    VectoredSystemSummary summary;
    Bytes system(36, 0xEE);
    system[0] = 0x10;
    system[1] = 0x00;
    // 0x1203 with byte 3 = 5 spans 8 bytes; the type vector after it must be found.
    Bytes variable = {0x12, 0x03, 0x00, 0x05, 0x10, 0x01, 0x00, 0x09};
    Bytes data = concat({system,
                         {0x11, 0x02, 0, 0},
                         {0x12, 0x01, 0, 0, 0, 0, 0},
                         {0x12, 0x05, 0, 0, 0, 0, 0},
                         variable,
                         capability(26),
                         typeVector(5)});
    summary.init(data.data(), data.size());
    EXPECT_EQ(summary.vssType(), 5);
    EXPECT_TRUE(summary.hasVector(26));
    EXPECT_TRUE(summary.complete());
}

TEST(VectoredSystemSummaryTest, UnknownVectorEndsParseKeepingWhatWasRead) {
    yattest::LogCapture log;
    VectoredSystemSummary summary;
    Bytes data = concat({capability(17), typeVector(3), {0x13, 0x00, 0, 0}, capability(26), typeVector(5)});
    summary.init(data.data(), data.size());
    EXPECT_TRUE(summary.hasVector(17));
    EXPECT_FALSE(summary.hasVector(26));
    EXPECT_EQ(summary.vssType(), 3);
    EXPECT_FALSE(summary.complete());
    EXPECT_TRUE(log.has("VectoredSystemSummary()", "miscalculated offset or unknown vectorID!!!"));
    EXPECT_TRUE(log.has("VectoredSystemSummary.init", "returning"));
}

TEST(VectoredSystemSummaryTest, VectorsRunningPastTheEndAreNotRead) {
    struct Case {
        Bytes data;
        int32_t type;
    };
    const Case cases[] = {
        {concat({typeVector(2), {0x10, 0x01, 0x00}}), 2},        // type vector cut short
        {concat({typeVector(2), {0x12, 0x03, 0x00, 0xC8}}), 2},  // variable length past the end
        {concat({typeVector(2), {0x12, 0x03, 0x00}}), 2},        // variable length byte missing
        {concat({typeVector(2), {0x10}}), 2},                    // half an ID
        {concat({{0x10, 0x00, 0, 0}, typeVector(5)}), 0},        // 36-byte vector in 8 bytes
    };
    for (const Case& c : cases) {
        VectoredSystemSummary summary;
        summary.init(c.data.data(), c.data.size());
        EXPECT_EQ(summary.vssType(), c.type);
        EXPECT_FALSE(summary.complete());
    }
    VectoredSystemSummary empty;
    empty.init(nullptr, 100);
    EXPECT_EQ(empty.vssType(), 0);
    EXPECT_TRUE(empty.complete());
}

using SPTypeTest = LibraryTest;

TEST_F(SPTypeTest, TypeTableFromSummary) {
    struct Case {
        Bytes summary;
        int32_t spType;
        const char* message;  // under the type tag, or null
    };
    const Case cases[] = {
        {typeVector(4), 0, " Cannot determine SP type!"},
        {typeVector(2), 1, nullptr},
        {concat({capability(99), typeVector(1)}), 2, " SP is an option card!"},
        {typeVector(1), 3, " SP is NOT an option card!"},
        {typeVector(3), 4, " SP is NOT an option card!"},
        {concat({capability(99), typeVector(3)}), 5, " SP is an option card!"},
        {typeVector(5), 6, nullptr},
        {concat({capability(17), typeVector(3)}), 7, " SP is NOT an option card!"},
        {concat({capability(17), capability(20), typeVector(3)}), 8, " SP is an option card!"},
        {concat({capability(26), typeVector(5)}), 9, " SP is an SSL command mode card!"},
        {concat({capability(17), capability(20), capability(26), capability(99), typeVector(3)}), 10,
         " SP is an SSL command mode card!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spType);
        comm.clearRules();
        log.clear();
        open(c.summary);
        EXPECT_EQ(lib->storedSPType(), c.spType);
        if (c.message != nullptr) {
            EXPECT_TRUE(log.has(kTypeTag, c.message));
        }
        EXPECT_TRUE(log.has(kTypeTag, "spType=[" + std::to_string(c.spType) + "]"));
        int32_t type = -1;
        EXPECT_EQ(lib->getSPType(&type), ERR_SUCCESS);
        EXPECT_EQ(type, c.spType);
        EXPECT_TRUE(comm.requests().empty());  // a parsed summary is final
    }
}

TEST_F(SPTypeTest, SummaryIsReadOnceAsPlainGetToNodeZero) {
    comm.answer("1.2", typeVector(2));
    openAsIs();
    ASSERT_EQ(lib->storedSPType(), 1);
    // The constructor's requests were cleared; recreate to look at them.
    lib.reset();
    comm.clearRequests();
    lib = std::make_unique<cLibYAT>(&comm);
    auto requests = comm.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].node, 0);
    Bytes header(requests[0].buffer.begin(), requests[0].buffer.begin() + 8);
    EXPECT_EQ(header, (Bytes{0x02, 0x02, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02}));
    EXPECT_TRUE(log.has(kInitTag, "about to create VSS object:  retVal=[0]  data length=[4]"));
    EXPECT_TRUE(log.has(kInitTag, "returning:  retVal=[0]"));
}

TEST_F(SPTypeTest, TypeFourLeavesZeroAndNeverProbes) {
    open(typeVector(4));
    EXPECT_EQ(lib->storedSPType(), 0);
    int32_t type = -1;
    EXPECT_EQ(lib->getSPType(&type), ERR_SUCCESS);
    EXPECT_EQ(type, 0);
    EXPECT_TRUE(comm.requests().empty());
}

TEST_F(SPTypeTest, ProbesInOrderAfterSummaryFailsTwice) {
    comm.status("4.9.1.1.1", 7);
    lib = std::make_unique<cLibYAT>(&comm);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"1.2", "1.2", "4.3.5.19.1", "4.9.1.1.16.2", "4.9.1.1.1"}));
    for (const auto& request : comm.requests()) {
        EXPECT_EQ(request.node, 0);
        EXPECT_EQ(request.type, 2);
        EXPECT_TRUE(request.data.empty());
    }
    EXPECT_EQ(lib->storedSPType(), 1);
    EXPECT_TRUE(log.has(kInitTag, "vss dot command failed...deleting vss object and setting to NULL:  retVal=[255]"));
    EXPECT_TRUE(log.has(kSPTypeTag, "VSS init failed...so getting sp type through trial and error method"));
    EXPECT_TRUE(log.has(kSPTypeTag, "couldn't figure out sp type through trial and error method"));
    EXPECT_TRUE(log.has(kSPTypeTag, "REAL SPTYPE:  spType=[1]    retVal=[7]"));
    EXPECT_EQ(log.countText("done with init VSS if statement"), 1u);
    EXPECT_EQ(log.countText("done with outer if statement"), 1u);
    // Probed: final, nothing more is sent.
    comm.clearRequests();
    int32_t type = 0;
    EXPECT_EQ(lib->getSPType(&type), ERR_SUCCESS);
    EXPECT_EQ(type, 1);
    EXPECT_TRUE(comm.requests().empty());
}

TEST_F(SPTypeTest, EachProbeProvesItsFamily) {
    struct Case {
        const char* answered;
        int32_t spType;
        const char* message;
        size_t probes;
    };
    const Case cases[] = {
        {"4.3.5.19.1", 6, "Trial and error, found Opal", 1},
        {"4.9.1.1.16.2", 4, "Trial and error, found Beryl", 2},
        {"4.9.1.1.1", 3, "Trial and error, found Cobalt", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answered);
        comm.clearRules();
        comm.clearRequests();
        log.clear();
        comm.fail("1.2", 5);
        comm.answer(c.answered, {});
        lib = std::make_unique<cLibYAT>(&comm);
        EXPECT_EQ(lib->storedSPType(), c.spType);
        EXPECT_TRUE(log.has(kSPTypeTag, c.message));
        EXPECT_TRUE(log.has(kInitTag, "sendCommand failed:  retVal=[5]"));
        EXPECT_TRUE(log.has(kSPTypeTag, "REAL SPTYPE:  spType=[" + std::to_string(c.spType) + "]    retVal=[0]"));
        EXPECT_EQ(comm.requests().size(), 2 + c.probes);
    }
}

TEST_F(SPTypeTest, TransportFailureOfLastProbeIsTheResult) {
    comm.fail("4.9.1.1.1", 9);
    lib = std::make_unique<cLibYAT>(&comm);
    EXPECT_EQ(lib->storedSPType(), 1);
    EXPECT_TRUE(log.has(kSPTypeTag, "REAL SPTYPE:  spType=[1]    retVal=[9]"));
}

TEST_F(SPTypeTest, OversizedLengthClaimIsBounded) {
    comm.answer("1.2", typeVector(2)).claimLength(0xFFFF);
    openAsIs();
    EXPECT_EQ(lib->storedSPType(), 1);  // the zeros after the vector read as capability 0 vectors
}

TEST(SPTypeNoDeviceTest, RejectedOrMissingDeviceSendsNothing) {
    yattest::LogCapture log;
    yattest::FakeComm wrong(1, 42);
    cLibYAT rejected(&wrong);
    EXPECT_FALSE(rejected.libOk());
    EXPECT_TRUE(wrong.requests().empty());
    int32_t type = 0;
    SystemInfo none(nullptr, type);
    EXPECT_EQ(none.initVectoredSystemSummary(), ERR_FAILED);
    EXPECT_TRUE(log.has(kInitTag, "returning:  retVal=[1]"));
}

TEST(CheckForOnyxTest, FirmwarePrefixes) {
    yattest::LogCapture log;
    struct Case {
        Bytes data;
        uint8_t status;
        bool expected;
    };
    const Case cases[] = {
        {{'G', 'R', '1'}, 0, true}, {{'R', 'U'}, 0, true}, {{'Q', 'A'}, 0, true}, {{'A', 'V'}, 0, true},
        {{'T', '2'}, 0, true},      {{'G', 'E'}, 0, true}, {{'V', 'I'}, 0, true}, {{'G', 'X'}, 0, false},
        {{'G', 'R'}, 1, false},     {{'G'}, 0, false},     {{}, 0, false},
    };
    for (const Case& c : cases) {
        yattest::FakeComm comm;
        comm.status("4.3.5.6.1", c.status, c.data);
        cFirmware firmware(fwwire::kKindSPFirmwareId, 0);
        ASSERT_NE(firmware.buildCommand(), nullptr);
        ASSERT_EQ(firmware.send(&comm, 0), 0u);
        EXPECT_EQ(firmware.checkForOnyx(), c.expected);
    }
    EXPECT_TRUE(log.has("cSPGetVPDData::checkForOnyx", "The retval was [1]"));
}

}  // namespace
}  // namespace sysinfotest
