// Short answers across the decoders of fixed layouts: each decodes its whole answer and refuses every
// shorter one (the cut at each length in turn) with its bad-answer result, never reading the missing
// bytes as zeros.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "commands/sp_cmd.h"
#include "config/account_wire.h"
#include "config/tcp_port.h"
#include "events/event_decoders.h"
#include "events/event_wire.h"
#include "kit/fake_comm.h"
#include "leds/blue_light.h"
#include "sensors/sensor_decoders.h"
#include "sensors/sensor_wire.h"
#include "sysinfo/firmware_command.h"
#include "sysinfo/system_state.h"
#include "yat/codes.h"
#include "yat/result_codes.h"
#include "yat/system_info_records.h"

namespace {

using yattest::Bytes;

// Decodes the data and says whether the decoder accepted them.
using Decoder = std::function<bool(const Bytes&)>;

struct Truncation {
    std::string name;
    Bytes whole;  // an answer of the full layout
    Decoder accepts;
};

void PrintTo(const Truncation& row, std::ostream* out) { *out << row.name; }

// The data written as the answer of a command object built for "4.3.6", for the extractors that
// read it there.
template <class Command>
Command answered(const Bytes& data) {
    Command command;
    command.buildSPCommand("4.3.6", wire::kGet, nullptr, nullptr, 0, 0);
    const uint8_t bytes[3] = {0x04, 0x03, 0x06};
    yattest::writeAnswer(command.buffer(), bytes, 3, 0, data);
    return command;
}

// A whole "4.d.x" answer buffer with the two port bytes as its data.
Bytes portAnswer() {
    Bytes buffer(wire::kBufferSize, 0);
    const uint8_t command[3] = {0x04, 0x0d, 0x01};
    yattest::writeAnswer(buffer.data(), command, 3, 0, {0x1F, 0x90});
    buffer.resize(wire::kHeaderSize + 3 + 2);
    return buffer;
}

const std::vector<Truncation>& truncations() {
    static const std::vector<Truncation> table = {
        {"DialinAuthority",
         {0x01, 0x00, 0x00, accountwire::kAuthorityAdmin},
         [](const Bytes& d) { return accountwire::decodeDialinAuthority(d.data(), d.size()).has_value(); }},
        {"DialinFlags",
         {accountwire::kFlagsReadOnly},
         [](const Bytes& d) { return accountwire::decodeDialinFlags(d.data(), d.size()).has_value(); }},
        {"PortAnswer", portAnswer(),
         [](const Bytes& d) {
             int32_t port = -1;
             return decodePortAnswer(d.data(), d.size(), &port) == ERR_SUCCESS && port == 8080;
         }},
        {"ComprehensiveEvent", Bytes(eventwire::kComprehensiveDecodedSize, '1'),
         [](const Bytes& d) {
             ComprehensiveRecord record;
             return decodeComprehensive(d.data(), d.size(), &record);
         }},
        {"PowerStatus",
         {0x03, 0x01},
         [](const Bytes& d) {
             int32_t status = 0;
             uint8_t good = 0;
             return decodePowerStatus(d.data(), d.size(), 1, &status, &good) == ERR_SUCCESS &&
                    status == yat::kStatusNormal;
         }},
        {"MultiNodeId", {0x00, 0x00, 0x02}, [](const Bytes& d) { return decodeMultiNodeId(d.data(), d.size()) == 2; }},
        {"TemperatureReading",
         {0x10, 0x27},
         [](const Bytes& d) {
             int32_t value = 0;
             return decodeSensorValue(yat::kClassTemperature, d.data(), d.size(), &value) == ERR_SUCCESS;
         }},
        {"FanReading",
         {0x20},
         [](const Bytes& d) {
             int32_t value = 0;
             return decodeSensorValue(yat::kClassFan, d.data(), d.size(), &value) == ERR_SUCCESS;
         }},
        {"SPFirmwareLong", Bytes(fwwire::kLongRevisionOffset + 1, 'a'),
         [](const Bytes& d) {
             FirmwareInfo info;
             return decodeSPFirmware(d.data(), d.size(), true, &info) == ERR_SUCCESS;
         }},
        {"SPFirmwareShort", Bytes(fwwire::kShortRevisionOffset + 1, 'a'),
         [](const Bytes& d) {
             FirmwareInfo info;
             return decodeSPFirmware(d.data(), d.size(), false, &info) == ERR_SUCCESS;
         }},
        {"IPMIDeviceId", Bytes(fwwire::kIPMIMinSize, 0),
         [](const Bytes& d) {
             FirmwareInfo info;
             return decodeIPMIDeviceId(d.data(), d.size(), &info) == ERR_SUCCESS;
         }},
        {"RevisionBytes", Bytes(fwwire::kRevisionFirst + fwwire::kRevisionByteCount6, 0),
         [](const Bytes& d) {
             FirmwareInfo info;
             return decodeRevisionBytes(d.data(), d.size(), fwwire::kKindRevisionBytes, 0, &info) == ERR_SUCCESS;
         }},
        {"SlowFanPrefix", {'R', 'U'}, [](const Bytes& d) { return hasSlowFanFirmwarePrefix(d.data(), d.size()); }},
        {"AnswerIPAddress",
         {192, 168, 0, 1},
         [](const Bytes& d) {
             char text[16] = "";
             return answered<cSPCmd>(d).getAnswerIPAddress(text) == ERR_SUCCESS;
         }},
        {"AnswerByte",
         {0x05},
         [](const Bytes& d) {
             int32_t value = 0;
             return answered<cSPCmd>(d).getAnswerByte(&value) == ERR_SUCCESS;
         }},
        {"AnswerFlag",
         {0x01},
         [](const Bytes& d) {
             bool value = false;
             return answered<cSPCmd>(d).getAnswerFlag(&value) == ERR_SUCCESS;
         }},
        {"BlueLight",
         {0x01},
         [](const Bytes& d) {
             int32_t state = 0;
             return answered<cSPBlueLight>(d).getStateData(&state) == ERR_SUCCESS;
         }},
        {"SystemStateValue",
         {0x01, 0x02, 0x03, 0x04},
         [](const Bytes& d) {
             uint32_t value = 0;
             return answered<cSystemState>(d).answerValue(4, &value);
         }},
    };
    return table;
}

class Truncated : public ::testing::TestWithParam<Truncation> {};

TEST_P(Truncated, WholeAnswerDecodesEveryShorterOneIsRefused) {
    const Truncation& row = GetParam();
    ASSERT_TRUE(row.accepts(row.whole));
    for (size_t length = 0; length < row.whole.size(); ++length) {
        EXPECT_FALSE(row.accepts(Bytes(row.whole.begin(), row.whole.begin() + static_cast<ptrdiff_t>(length))))
            << "cut to " << length << " of " << row.whole.size() << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Decoders, Truncated, ::testing::ValuesIn(truncations()),
                         [](const ::testing::TestParamInfo<Truncation>& info) { return info.param.name; });

}  // namespace
