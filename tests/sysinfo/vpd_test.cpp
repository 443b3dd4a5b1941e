// VPD: the read command's wire bytes, the planar windows, the DASD length search, the other kinds,
// machine and POST/BIOS VPD, and the two image parsers.

#include <algorithm>
#include <optional>

#include "yat/command_buffer.h"
#include "sysinfo/firmware_command.h"
#include "yat/vpd.h"
#include "sysinfo/vpd_command.h"
#include "yat/vpd_records.h"
#include "sysinfo_fixture.h"

namespace sysinfotest {
namespace {

constexpr const char* kVPDTag = "cLibYAT::getVPDData";
constexpr const char* kMachineTag = "clibyat.getMachineVPD";

// The command bytes and request data of a built VPD read.
struct Built {
    Bytes command;
    Bytes data;
};

std::optional<Built> build(int32_t kind, int32_t instance, int32_t part = 0, int32_t length = 96) {
    cSPVPDCmd command;
    const uint8_t* buffer = command.buildCommand(kind, instance, part, length);
    if (buffer == nullptr) return std::nullopt;
    EXPECT_EQ(buffer[0], 2);  // get
    size_t n = buffer[1];
    Built built;
    built.command.assign(buffer + 6, buffer + 6 + n);
    built.data.assign(buffer + 6 + n, buffer + 6 + n + wire::dataLength(buffer));
    return built;
}

TEST(VPDCommandTest, KindTable) {
    yattest::LogCapture log;
    const Bytes window = {0, 0, 96, 0};
    struct Case {
        int32_t kind;
        int32_t instance;
        Bytes command;
        Bytes data;
    };
    const Case cases[] = {
        {2, 3, {4, 3, 5, 2, 6, 3}, window},  {3, 4, {4, 3, 5, 2, 5, 4}, window},  {4, 1, {4, 3, 5, 2, 5, 10}, window},
        {6, 1, {4, 3, 5, 2, 2}, window},     {7, 2, {4, 3, 5, 14, 2}, window},    {9, 7, {4, 3, 5, 12, 7}, window},
        {11, 1, {4, 3, 5, 13}, window},      {13, 1, {4, 3, 5, 2, 7, 3}, window}, {14, 9, {4, 3, 5, 15, 1}, window},
        {15, 1, {4, 3, 5, 2, 7, 2}, window}, {16, 1, {4, 3, 5, 3, 1}, window},    {17, 1, {4, 3, 5, 2, 1}, window},
        {18, 1, {4, 3, 5, 6, 1}, {}},        {19, 1, {4, 3, 5, 6, 2}, {}},        {20, 1, {4, 3, 5, 6, 3}, {}},
        {21, 1, {4, 3, 5, 10}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        auto built = build(c.kind, c.instance);
        ASSERT_TRUE(built.has_value());
        EXPECT_EQ(built->command, c.command);
        EXPECT_EQ(built->data, c.data);
    }
    for (int32_t kind : {4, 6, 11, 13, 15, 16, 17, 18, 19, 20, 21}) EXPECT_FALSE(build(kind, 2)) << kind;
    for (int32_t kind : {0, 1, 5, 8, 10, 12, 22, -3}) EXPECT_FALSE(build(kind, 1)) << kind;
    EXPECT_TRUE(log.has("cSPVPDCmd::buildCommand", "***** VPD_INST_SP case entered!!!  **********"));
    EXPECT_TRUE(log.has("cSPVPDCmd::buildCommand", "about to process a vpd command"));
}

TEST(VPDCommandTest, PlanarWindowsAndLengths) {
    EXPECT_EQ(build(17, 1, 1)->data, (Bytes{16, 0, 16, 0}));
    EXPECT_EQ(build(17, 1, 2)->data, (Bytes{36, 0, 12, 0}));
    EXPECT_EQ(build(17, 1, 3)->data, (Bytes{100, 0, 12, 0}));
    EXPECT_EQ(build(17, 1, 4, 0x123)->data, (Bytes{0, 0, 0x23, 0x01}));
    EXPECT_EQ(build(9, 1, 2, 80)->data, (Bytes{0, 0, 80, 0}));  // the part matters only for the planar
}

class VPDTest : public LibraryTest {
protected:
    void SetUp() override { open(typeVector(2)); }
};

TEST_F(VPDTest, PlanarSerialHalvesAreSwapped) {
    Bytes first;
    put(first, 0, "ABCDEFGHIJKL");
    put(first, 12, "MF01");
    Bytes second;
    put(second, 0, "PN0123456789");
    Bytes third;
    put(third, 0, "FRU987654321");
    comm.answer("4.3.5.2.1", first).times(1);
    comm.answer("4.3.5.2.1", second).times(1);
    comm.answer("4.3.5.2.1", third).times(1);
    VPD vpd;
    EXPECT_EQ(lib->getVPDData(1, 17, 1, &vpd), ERR_SUCCESS);
    EXPECT_EQ(vpd.get_EEPROM_SERIAL_NUMBER(), "GHIJKLABCDEF");
    EXPECT_EQ(vpd.get_EEPROM_MANUFACTURER_ID(), "MF01");
    EXPECT_EQ(vpd.get_EEPROM_PART_NUMBER(), "PN0123456789");
    EXPECT_EQ(vpd.get_EEPROM_FRU_NUMBER(), "FRU987654321");
    EXPECT_TRUE(vpd.isVPDValid());
    auto requests = comm.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].data, (Bytes{16, 0, 16, 0}));
    EXPECT_EQ(requests[1].data, (Bytes{36, 0, 12, 0}));
    EXPECT_EQ(requests[2].data, (Bytes{100, 0, 12, 0}));
    for (const auto& request : requests) EXPECT_EQ(request.node, 1);
    EXPECT_TRUE(log.has(kVPDTag, "planar serial number=[GHIJKLABCDEF]"));
    EXPECT_TRUE(log.has(kVPDTag, "eeprom_serial_number:  [GHIJKLABCDEF]"));
    EXPECT_TRUE(log.has(kVPDTag, "eeprom_manufacturer_id:  [MF01]"));
    EXPECT_TRUE(log.has(kVPDTag, "got third/last block of planar data successfully"));
    EXPECT_TRUE(log.has(kVPDTag, "eeprom_fru_number:  [FRU987654321]"));
    EXPECT_TRUE(log.has(kVPDTag, "Returning:  retval=[0]"));
}

TEST_F(VPDTest, PlanarFailures) {
    VPD vpd;
    EXPECT_EQ(lib->getVPDData(0, 17, 2, &vpd), ERR_FAILED);  // instance 2: no command
    EXPECT_TRUE(comm.requests().empty());

    comm.answer("4.3.5.2.1", Bytes(16, 0x41)).times(1);
    comm.fail("4.3.5.2.1", 5);
    EXPECT_EQ(lib->getVPDData(0, 17, 1, &vpd), 5);
    EXPECT_EQ(comm.requests().size(), 2u);

    // A refused window would otherwise be empty texts marked valid.
    comm.clearRules();
    vpd.setIsVPDValid(true);
    comm.answer("4.3.5.2.1", Bytes(16, 0x41)).times(1);
    comm.status("4.3.5.2.1", 7);
    EXPECT_EQ(lib->getVPDData(0, 17, 1, &vpd), ERR_BAD_ANSWER);
    EXPECT_FALSE(vpd.isVPDValid());

    // Short windows read what is there.
    comm.clearRules();
    comm.answer("4.3.5.2.1", {'A', 'B', 'C'});
    EXPECT_EQ(lib->getVPDData(0, 17, 1, &vpd), ERR_SUCCESS);
    EXPECT_EQ(vpd.get_EEPROM_SERIAL_NUMBER(), "ABC");
    EXPECT_EQ(vpd.get_EEPROM_MANUFACTURER_ID(), "");
}

// A DASD device that refuses reads longer than maxLength with status 7.
void scriptDASD(yattest::FakeComm& comm, size_t maxLength, const Bytes& image) {
    comm.handle("4.3.5.e.1", [maxLength, image](uint8_t* buffer) {
        uint8_t commandBytes[5];
        std::memcpy(commandBytes, buffer + 6, 5);
        size_t length = buffer[6 + 5 + 2] | (buffer[6 + 5 + 3] << 8);
        if (length > maxLength) {
            yattest::writeAnswer(buffer, commandBytes, 5, 7, {});
        } else {
            Bytes data(image.begin(), image.begin() + static_cast<long>(std::min(length, image.size())));
            yattest::writeAnswer(buffer, commandBytes, 5, 0, data);
        }
    });
}

std::vector<int> requestedLengths(const yattest::FakeComm& comm) {
    std::vector<int> lengths;
    for (const auto& request : comm.requests()) lengths.push_back(request.data[2] | (request.data[3] << 8));
    return lengths;
}

TEST_F(VPDTest, DASDLengthSearch) {
    scriptDASD(comm, 90, eepromImage("DPN", "DFRU123", "DSER", "IBXX"));
    VPD vpd;
    EXPECT_EQ(lib->getVPDData(0, 7, 1, &vpd), ERR_SUCCESS);
    EXPECT_EQ(requestedLengths(comm), (std::vector<int>{96, 80, 88, 92, 90, 91, 90}));
    EXPECT_EQ(vpd.get_EEPROM_FRU_NUMBER(), "DFRU123");
    EXPECT_TRUE(vpd.isVPDValid());
    EXPECT_TRUE(log.has(kVPDTag, "retVal from getCommandData is [0]"));
}

TEST_F(VPDTest, DASDSearchEdges) {
    const Bytes image = eepromImage("DPN", "DFRU", "DSER", "IBXX");
    struct Case {
        size_t maxLength;
        std::vector<int> lengths;
    };
    const Case cases[] = {
        {96, {96}},
        {95, {96, 80, 88, 92, 94, 95, 95}},
        {80, {96, 80, 88, 84, 82, 81, 80}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.maxLength);
        comm.clearRules();
        comm.clearRequests();
        scriptDASD(comm, c.maxLength, image);
        VPD vpd;
        EXPECT_EQ(lib->getVPDData(0, 7, 1, &vpd), ERR_SUCCESS);
        EXPECT_EQ(requestedLengths(comm), c.lengths);
    }

    // 80 refused too: 2.
    comm.clearRules();
    comm.clearRequests();
    scriptDASD(comm, 79, image);
    VPD vpd;
    EXPECT_EQ(lib->getVPDData(0, 7, 1, &vpd), ERR_BAD_ANSWER);
    EXPECT_EQ(requestedLengths(comm), (std::vector<int>{96, 80}));

    // 96 refused with another status: 2 at once; transport failure of 96: its code.
    comm.clearRules();
    comm.clearRequests();
    comm.status("4.3.5.e.1", 3);
    EXPECT_EQ(lib->getVPDData(0, 7, 1, &vpd), ERR_BAD_ANSWER);
    EXPECT_EQ(comm.requests().size(), 1u);
    comm.clearRules();
    comm.fail("4.3.5.e.1", 6);
    EXPECT_EQ(lib->getVPDData(0, 7, 1, &vpd), 6);
}

TEST_F(VPDTest, DASDSearchRetriesTransportFailuresThenGivesUp) {
    scriptDASD(comm, 90, eepromImage("DPN", "DFRU", "DSER", "IBXX"));
    comm.failNth(4);  // the first read of 92
    VPD vpd;
    EXPECT_EQ(lib->getVPDData(0, 7, 1, &vpd), ERR_SUCCESS);
    EXPECT_EQ(requestedLengths(comm), (std::vector<int>{96, 80, 88, 92, 92, 90, 91, 90}));

    comm.clearRequests();
    comm.failNth(4);
    comm.failNth(5);
    comm.failNth(6);
    VPD other;
    EXPECT_EQ(lib->getVPDData(0, 7, 1, &other), ERR_BAD_ANSWER);
    EXPECT_EQ(requestedLengths(comm), (std::vector<int>{96, 80, 88, 92, 92, 92}));
    EXPECT_FALSE(other.isVPDValid());
}

TEST_F(VPDTest, EEPromKindsParseTheAnswer) {
    comm.answer("4.3.5.c.2", eepromImage("PS-PART", "PSFRU0001", "PSSER   ", "ACME"));
    VPD vpd;
    EXPECT_EQ(lib->getVPDData(3, 9, 2, &vpd), ERR_SUCCESS);
    EXPECT_EQ(vpd.get_EEPROM_PART_NUMBER(), "PS-PART");
    EXPECT_EQ(vpd.get_EEPROM_FRU_NUMBER(), "PSFRU0001");
    EXPECT_EQ(vpd.get_EEPROM_SERIAL_NUMBER(), "PSSER");
    EXPECT_EQ(vpd.get_EEPROM_MANUFACTURER_ID(), "ACME");
    EXPECT_EQ(comm.requests().at(0).node, 3);
    EXPECT_EQ(comm.requests().at(0).data, (Bytes{0, 0, 96, 0}));
    EXPECT_TRUE(log.has(kVPDTag, "retval from sendCommand was ERR_SUCCESS....so extracting the command data"));
}

TEST_F(VPDTest, BadAnswersLeaveTheRecordInvalid) {
    VPD vpd;
    vpd.set_EEPROM_FRU_NUMBER("OLD");
    vpd.setIsVPDValid(true);  // reused from an earlier read
    Bytes bad = eepromImage("P", "NEWFRU", "S", "M");
    bad[0] = 'X';
    comm.answer("4.3.5.3.1", bad);
    EXPECT_EQ(lib->getVPDData(0, 16, 1, &vpd), ERR_INVALID_VPD);
    EXPECT_FALSE(vpd.isVPDValid());
    EXPECT_EQ(vpd.get_EEPROM_FRU_NUMBER(), "OLD");
    EXPECT_TRUE(log.has(kVPDTag, "VPD object is bad for some reason"));
    EXPECT_TRUE(log.has(kVPDTag, "Returning:  retval=[8]"));

    comm.clearRules();
    comm.status("4.3.5.3.1", 2, eepromImage("P", "F", "S", "M"));
    VPD fresh;
    EXPECT_EQ(lib->getVPDData(0, 16, 1, &fresh), ERR_INVALID_VPD);
    EXPECT_EQ(fresh.get_EEPROM_FRU_NUMBER(), "");

    comm.clearRules();
    comm.fail("4.3.5.3.1", 4);
    EXPECT_EQ(lib->getVPDData(0, 16, 1, &fresh), 4);
}

TEST_F(VPDTest, ArgumentAndKindFailuresSendNothing) {
    EXPECT_EQ(lib->getVPDData(0, 9, 1, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_TRUE(log.has(kVPDTag, "VPDData is NULL!!! Returning as ERR_INVALID_PARAMETER"));
    VPD vpd;
    EXPECT_EQ(lib->getVPDData(0, 5, 1, &vpd), ERR_FAILED);
    EXPECT_EQ(lib->getVPDData(0, 4, 3, &vpd), ERR_FAILED);
    EXPECT_TRUE(comm.requests().empty());
    cLibYAT none(nullptr);
    EXPECT_EQ(none.getVPDData(0, 9, 1, &vpd), ERR_FAILED);
}

TEST_F(VPDTest, DriverRevisionAndFirmwareImages) {
    comm.answer("4.3.5.a", {'D', 'R', 'V', ' ', '2', '.', '1'});  // no terminator
    VPD vpd;
    vpd.set_FIRMWARE_IMAGE_BUILD_ID("OLDBUILD");
    vpd.set_FIRMWARE_IMAGE_FILENAME("old.bin");
    EXPECT_EQ(lib->getVPDData(0, 21, 1, &vpd), ERR_SUCCESS);
    EXPECT_EQ(vpd.get_FIRMWARE_IMAGE_VERSION(), "DRV 2.1");
    EXPECT_EQ(vpd.get_FIRMWARE_IMAGE_BUILD_ID(), "");
    EXPECT_EQ(vpd.get_FIRMWARE_IMAGE_FILENAME(), "");
    EXPECT_TRUE(comm.requests().at(0).data.empty());
    EXPECT_TRUE(log.has("cSPVPDCmd.getCommandData()", "Device Driver revision: [DRV 2.1] "));

    comm.answer("4.3.5.6.2", firmwareImage("4.10", "BUILD77", "bmc_fw_0410.img"));
    VPD image;
    EXPECT_EQ(lib->getVPDData(0, 19, 1, &image), ERR_SUCCESS);
    EXPECT_EQ(image.get_FIRMWARE_IMAGE_VERSION(), "4.10");
    EXPECT_EQ(image.get_FIRMWARE_IMAGE_BUILD_ID(), "BUILD77");
    EXPECT_EQ(image.get_FIRMWARE_IMAGE_FILENAME(), "bmc_fw_0410.img");
    EXPECT_TRUE(log.has("cSPVPDCmd.getCommandData()", "just finished parsing with FirmwareParser"));

    comm.answer("4.3.5.6.3", Bytes(20, 'F'));  // too short for a descriptor or an identifier
    EXPECT_EQ(lib->getVPDData(0, 20, 1, &image), ERR_INVALID_VPD);
}

TEST(VPDRecordTest, CopiesMemberByMember) {
    VPD vpd;
    vpd.set_EEPROM_PART_NUMBER("P");
    vpd.set_FIRMWARE_IMAGE_FILENAME("F");
    vpd.setIsVPDValid(true);
    VPD copy(vpd);
    VPD assigned;
    assigned = vpd;
    for (const VPD* v : {&copy, &assigned}) {
        EXPECT_EQ(v->get_EEPROM_PART_NUMBER(), "P");
        EXPECT_EQ(v->get_FIRMWARE_IMAGE_FILENAME(), "F");
        EXPECT_TRUE(v->isVPDValid());
    }
}

TEST(EEPromParserTest, WellFormedAndMalformedImages) {
    Bytes image = eepromImage("PART-NUMBER12X", "FRU", "SERIAL      ", "MFGX");
    VPD vpd;
    EXPECT_TRUE(parseEEPromImage(image.data(), eeprom::kMinImageSize, &vpd));
    EXPECT_EQ(vpd.get_EEPROM_PART_NUMBER(), "PART-NUMBER1");  // 12 characters, no terminator
    EXPECT_EQ(vpd.get_EEPROM_FRU_NUMBER(), "FRU");
    EXPECT_EQ(vpd.get_EEPROM_SERIAL_NUMBER(), "SERIAL");
    EXPECT_EQ(vpd.get_EEPROM_MANUFACTURER_ID(), "MFGX");
    EXPECT_TRUE(vpd.isVPDValid());

    VPD other;
    EXPECT_FALSE(parseEEPromImage(image.data(), eeprom::kMinImageSize - 1, &other));
    Bytes wrongVersion = image;
    wrongVersion[eeprom::kLayoutVersionOffset] = 2;
    EXPECT_FALSE(parseEEPromImage(wrongVersion.data(), wrongVersion.size(), &other));
    EXPECT_FALSE(parseEEPromImage(nullptr, 96, &other));
    EXPECT_FALSE(parseEEPromImage(image.data(), image.size(), nullptr));
    EXPECT_FALSE(other.isVPDValid());
    EXPECT_EQ(other.get_EEPROM_PART_NUMBER(), "");
}

TEST(EEPromParserTest, FindsTheImageInTheAnswerBuffer) {
    const uint8_t command[] = {4, 3, 5, 12, 1};
    Bytes buffer(wire::kBufferSize, 0);
    yattest::writeAnswer(buffer.data(), command, 5, 0, eepromImage("PN", "FRU1", "SN", "MF"));
    VPD vpd;
    EXPECT_TRUE(EEPromParser(buffer.data(), 5 + eeprom::kLengthBias, &vpd).parsed());
    EXPECT_EQ(vpd.get_EEPROM_FRU_NUMBER(), "FRU1");

    // The length must agree with the echoed command length, and the answer must be an answer.
    VPD other;
    EXPECT_FALSE(EEPromParser(buffer.data(), 4 + eeprom::kLengthBias, &other).parsed());
    EXPECT_FALSE(EEPromParser(buffer.data(), 2, &other).parsed());
    EXPECT_FALSE(EEPromParser(nullptr, 18, &other).parsed());
    Bytes request = buffer;
    request[0] = wire::kGet;
    EXPECT_FALSE(EEPromParser(request.data(), 18, &other).parsed());
    // A claimed length beyond the buffer is cut to the buffer.
    Bytes claimed = buffer;
    claimed[2] = 0xFF;
    claimed[3] = 0xFF;
    EXPECT_TRUE(parseEEPromAnswer(claimed.data(), claimed.size(), 18, &other));
    // An image cut short by the claimed length is not well-formed.
    Bytes cut = buffer;
    cut[2] = static_cast<uint8_t>(eeprom::kMinImageSize - 1);
    cut[3] = 0;
    VPD third;
    EXPECT_FALSE(parseEEPromAnswer(cut.data(), cut.size(), 18, &third));
}

TEST(FirmwareParserTest, Descriptor) {
    Bytes image = firmwareImage("1.2.3", "B", std::string(64, 'n'));
    VPD vpd;
    EXPECT_TRUE(FirmwareParser(image.data(), static_cast<int>(image.size()), &vpd).parsed());
    EXPECT_EQ(vpd.get_FIRMWARE_IMAGE_FILENAME(), std::string(64, 'n'));
    EXPECT_FALSE(FirmwareParser(image.data(), static_cast<int>(image.size()) - 1, &vpd).parsed());
    EXPECT_FALSE(vpd.isVPDValid());
    EXPECT_FALSE(FirmwareParser(image.data(), -5, &vpd).parsed());
}

TEST(FirmwareParserTest, SPFirmwareIdentifier) {
    // The running SP firmware answers with its identifier: build ID at 0, revision byte at 31.
    Bytes identifier(32, 0);
    put(identifier, fwwire::kShortBuildIdOffset, "GREB21A");
    put(identifier, fwwire::kShortBuildDateOffset, "20261101");
    identifier[fwwire::kShortRevisionOffset] = 7;
    VPD vpd;
    vpd.set_FIRMWARE_IMAGE_FILENAME("stale");
    EXPECT_TRUE(FirmwareParser(identifier.data(), static_cast<int>(identifier.size()), &vpd).parsed());
    EXPECT_TRUE(vpd.isVPDValid());
    EXPECT_EQ(vpd.get_FIRMWARE_IMAGE_VERSION(), "1.07");
    EXPECT_EQ(vpd.get_FIRMWARE_IMAGE_BUILD_ID(), "GREB21A");
    EXPECT_EQ(vpd.get_FIRMWARE_IMAGE_FILENAME(), "");
    // Without the revision byte, or without a build ID, it is not well-formed.
    EXPECT_FALSE(FirmwareParser(identifier.data(), 31, &vpd).parsed());
    EXPECT_FALSE(vpd.isVPDValid());
    Bytes blank(32, 0);
    EXPECT_FALSE(FirmwareParser(blank.data(), static_cast<int>(blank.size()), &vpd).parsed());
}

// Machine VPD: UUID, then the chassis read chosen by the SP type.
class MachineVPDTest : public LibraryTest {};

Bytes uuidBytes() {
    Bytes uuid;
    for (uint8_t i = 0; i < 16; ++i) uuid.push_back(static_cast<uint8_t>(i * 17));
    return uuid;
}

TEST_F(MachineVPDTest, ChassisReadBySPType) {
    struct Case {
        Bytes summary;
        int32_t spType;
        const char* command;
        Bytes data;
        size_t type, model, serial;
        const char* message;
    };
    const Bytes window = {0, 0, 128, 0};
    const Case cases[] = {
        {typeVector(2), 1, "4.3.5.1", {}, 40, 44, 22, "getting Chassis VPD for a Tarn/Cobalt system"},
        {typeVector(1), 3, "4.3.5.1", {}, 40, 44, 22, "getting Chassis VPD for a Tarn/Cobalt system"},
        {typeVector(3), 4, "4.3.5.2.1", window, 82, 86, 89, "getting Chassis VPD for a Beryl/Garnet system"},
        {concat({capability(17), typeVector(3)}), 7, "4.3.5.2.1", window, 82, 86, 89,
         "getting Chassis VPD for a Beryl/Garnet system"},
        {concat({capability(17), capability(26), typeVector(3)}), 10, "4.3.5.2.1", window, 82, 86, 89,
         "getting Chassis VPD for a Beryl/Garnet system"},
        {typeVector(5), 6, "4.3.5.2.4.1", window, 14, 18, 21, "getting Chassis VPD for an Opal system"},
        {concat({capability(26), typeVector(5)}), 9, "4.3.5.2.4.1", window, 14, 18, 21,
         "getting Chassis VPD for an Opal system"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spType);
        comm.clearRules();
        log.clear();
        open(c.summary);
        ASSERT_EQ(lib->storedSPType(), c.spType);
        comm.answer("4.3.a", uuidBytes());
        Bytes chassis(128, 0);
        put(chassis, c.type, "8677");
        put(chassis, c.model, "4RX");
        put(chassis, c.serial, "KQ12345");
        comm.answer(c.command, chassis);
        MachineVPDInfo info;
        std::memset(&info, '#', sizeof info);
        EXPECT_EQ(lib->getMachineVPD(2, &info), ERR_SUCCESS);
        EXPECT_STREQ(info.uuid, "00112233445566778899AABBCCDDEEFF");
        EXPECT_EQ(std::string(info.machineType, 5), "8677#");
        EXPECT_EQ(std::string(info.model, 4), "4RX#");
        EXPECT_EQ(std::string(info.serialNumber, 8), "KQ12345#");
        EXPECT_EQ(comm.commands(), (std::vector<std::string>{"4.3.a", c.command}));
        EXPECT_EQ(comm.requests().at(1).data, c.data);
        EXPECT_EQ(comm.requests().at(1).node, 2);
        EXPECT_TRUE(log.has(kMachineTag, c.message));
        EXPECT_TRUE(log.has(kMachineTag, "Returning with retVal=[0]"));
    }
}

TEST_F(MachineVPDTest, OtherTypesAndFailures) {
    open(concat({capability(99), typeVector(3)}));  // SP type 5
    comm.answer("4.3.a", uuidBytes());
    MachineVPDInfo info{};
    EXPECT_EQ(lib->getMachineVPD(0, &info), ERR_FAILED);
    EXPECT_EQ(comm.commands(), (std::vector<std::string>{"4.3.a"}));
    EXPECT_STREQ(info.uuid, "00112233445566778899AABBCCDDEEFF");

    comm.clearRules();
    comm.clearRequests();
    open(typeVector(5));
    comm.fail("4.3.a", 3);
    comm.status("4.3.5.2.4.1", 7, Bytes(128, 'x'));
    std::memset(&info, 0, sizeof info);
    EXPECT_EQ(lib->getMachineVPD(0, &info), ERR_BAD_ANSWER);
    EXPECT_TRUE(log.has(kMachineTag, "sendCommand failed!"));
    EXPECT_EQ(info.uuid[0], 0);
    EXPECT_EQ(info.machineType[0], 0);

    comm.clearRules();
    comm.fail("4.3.5.2.4.1", 8);
    EXPECT_EQ(lib->getMachineVPD(0, &info), 8);

    // All-zero chassis data: nothing copied, success.
    comm.clearRules();
    comm.answer("4.3.5.2.4.1", Bytes(128, 0));
    EXPECT_EQ(lib->getMachineVPD(0, &info), ERR_SUCCESS);
    EXPECT_EQ(info.machineType[0], 0);

    // Short chassis data: the missing bytes read as zeros, never as old buffer contents.
    comm.clearRules();
    comm.answer("4.3.a", Bytes(32, 0x55));  // a long UUID answer read just before
    comm.answer("4.3.5.2.4.1", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'A', 'B'});
    EXPECT_EQ(lib->getMachineVPD(0, &info), ERR_SUCCESS);
    EXPECT_EQ(std::string(info.machineType, 4), std::string("AB\0\0", 4));
    EXPECT_EQ(std::string(info.serialNumber, 7), std::string(7, '\0'));
}

TEST_F(MachineVPDTest, PostBiosFields) {
    open(typeVector(2));
    Bytes data(69, 0);
    put(data, 13, "BIOSBLD01xx");
    put(data, 22, "SN12345");
    put(data, 40, "8677-4R");
    put(data, 48, "20240315");
    data[68] = 0x21;
    comm.answer("4.3.5.1", data);
    PostBiosVPDInfo info;
    std::memset(&info, '#', sizeof info);
    EXPECT_EQ(lib->getPostBiosVPD(0, &info), ERR_SUCCESS);
    EXPECT_STREQ(info.buildId, "BIOSBLD01");
    EXPECT_STREQ(info.serialNumber, "SN12345");
    EXPECT_STREQ(info.machineTypeModel, "8677-4R");
    EXPECT_STREQ(info.buildDate, "20240315");
    EXPECT_EQ(info.revision, 0x21);
    EXPECT_TRUE(comm.requests().at(0).data.empty());
    EXPECT_TRUE(log.has("clibyat.getPostBiosVPD", "Entered"));
    EXPECT_TRUE(log.has(
        kMachineTag, "buildID=[BIOSBLD01]  serialNum=[SN12345]  mtm=[8677-4R]  buildDate=[20240315]  revision=[33]"));

    // Refused, or a transport failure: the record stays as it was.
    comm.clearRules();
    comm.status("4.3.5.1", 1, data);
    PostBiosVPDInfo kept{};
    EXPECT_EQ(lib->getPostBiosVPD(0, &kept), ERR_BAD_ANSWER);
    EXPECT_EQ(kept.buildId[0], 0);
    comm.clearRules();
    comm.fail("4.3.5.1", 4);
    EXPECT_EQ(lib->getPostBiosVPD(0, &kept), 4);
    cLibYAT none(nullptr);
    EXPECT_EQ(none.getPostBiosVPD(0, &kept), ERR_FAILED);
    EXPECT_EQ(none.getMachineVPD(0, nullptr), ERR_FAILED);
}

}  // namespace
}  // namespace sysinfotest
