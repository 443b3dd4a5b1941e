// System event log: the entry decoder (century rule, the three texts, malformed entries) and the
// operations' commands, results and log lines.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "events/event_log.h"
#include "events/sel_command.h"
#include "events/sel_wire.h"
#include "kit/fake_comm.h"
#include "kit/log_reader.h"
#include "yat/event_log_records.h"
#include "yat/result_codes.h"

namespace {

using yattest::Bytes;
using yattest::FakeComm;

struct EntryFields {
    uint8_t year = 8, month = 3, dateDay = 14, stampDay = 14, hour = 7, minute = 5, second = 0;
    uint8_t entryByte = 0x42;
    std::string label = "SERVPROC";
    std::string message = "Fan 3 failed.";
    Bytes trailer = {'X', 'Y', 'Z'};
};

Bytes entryBytes(const EntryFields& f) {
    Bytes entry(selwire::kMessageOffset, 0);
    std::memcpy(entry.data(), f.label.data(), std::min<size_t>(f.label.size(), 8));
    entry[8] = '#';  // overwritten by the label's terminator
    entry[selwire::kEntryByteOffset] = f.entryByte;
    entry[selwire::kYearOffset] = f.year;
    entry[selwire::kMonthOffset] = f.month;
    entry[selwire::kDateDayOffset] = f.dateDay;
    entry[selwire::kTimestampDayOffset] = f.stampDay;
    entry[selwire::kHourOffset] = f.hour;
    entry[selwire::kMinuteOffset] = f.minute;
    entry[selwire::kSecondOffset] = f.second;
    for (char c : f.message) entry.push_back(static_cast<uint8_t>(c));
    for (uint8_t byte : f.trailer) entry.push_back(byte);
    return entry;
}

// The answer data of "3.4.2": entry length, then the entry.
Bytes answerData(const Bytes& entry) {
    Bytes data(2 + entry.size());
    data[0] = static_cast<uint8_t>(entry.size() & 0xFF);
    data[1] = static_cast<uint8_t>(entry.size() >> 8);
    std::copy(entry.begin(), entry.end(), data.begin() + 2);
    return data;
}

// A whole answer buffer as the SP writes it.
Bytes answerBuffer(const Bytes& data, uint8_t status = 0) {
    Bytes buffer(wire::kBufferSize, 0);
    const uint8_t command[] = {3, 4, 2};
    yattest::writeAnswer(buffer.data(), command, 3, status, data);
    return buffer;
}

LogEntryInfo filled() {
    LogEntryInfo record;
    std::memset(&record, 0xAB, sizeof record);
    return record;
}

bool untouched(const LogEntryInfo& record) {
    LogEntryInfo pattern = filled();
    return std::memcmp(&record, &pattern, sizeof record) == 0;
}

struct CenturyCase {
    uint8_t year;
    const char* date;
    const char* stamp;
};

class Century : public ::testing::TestWithParam<CenturyCase> {};

TEST_P(Century, PicksTheCenturyOfDateAndTimestamp) {
    EntryFields fields;
    fields.year = GetParam().year;
    Bytes buffer = answerBuffer(answerData(entryBytes(fields)));
    LogEntryInfo record = filled();
    ASSERT_EQ(decodeLogEntry(buffer.data(), buffer.size(), &record), ERR_SUCCESS);
    EXPECT_STREQ(record.dateText, GetParam().date);
    EXPECT_STREQ(record.timestamp, GetParam().stamp);
    EXPECT_STREQ(record.timeText, "07:05:00");
}

INSTANTIATE_TEST_SUITE_P(YearBytes, Century,
                         ::testing::Values(CenturyCase{8, "03/14/2008", "20080314070500.000000+000"},
                                           CenturyCase{99, "03/14/1999", "19990314070500.000000+000"},
                                           CenturyCase{59, "03/14/2059", "20590314070500.000000+000"},
                                           CenturyCase{60, "03/14/1960", "19600314070500.000000+000"},
                                           CenturyCase{0, "03/14/2000", "20000314070500.000000+000"}));

TEST(LogEntryDecoder, FillsEveryFieldAndKeepsTheReservedAreas) {
    EntryFields fields;
    fields.dateDay = 14;
    fields.stampDay = 15;  // the two day bytes stay apart
    Bytes buffer = answerBuffer(answerData(entryBytes(fields)));
    LogEntryInfo record = filled();
    ASSERT_EQ(decodeLogEntry(buffer.data(), buffer.size(), &record), ERR_SUCCESS);
    EXPECT_STREQ(record.dateText, "03/14/2008");
    EXPECT_STREQ(record.timestamp, "20080315070500.000000+000");
    EXPECT_STREQ(record.label, "SERVPROC");
    EXPECT_STREQ(record.message, "Fan 3 failed.");  // the last three bytes are not part of it
    EXPECT_EQ(record.entryByte, 0x42);
    for (uint8_t byte : record.reserved1) EXPECT_EQ(byte, 0xAB);
    for (uint8_t byte : record.reserved2) EXPECT_EQ(byte, 0xAB);
}

TEST(LogEntryDecoder, BytesAbove99StayInsideTheirTexts) {
    EntryFields fields;
    fields.year = 255;
    fields.month = fields.dateDay = fields.stampDay = fields.hour = fields.minute = fields.second = 255;
    Bytes buffer = answerBuffer(answerData(entryBytes(fields)));
    LogEntryInfo record = filled();
    ASSERT_EQ(decodeLogEntry(buffer.data(), buffer.size(), &record), ERR_SUCCESS);
    EXPECT_STREQ(record.timestamp, "19255255255255255255.000000+000");
    EXPECT_STREQ(record.dateText, "255/255/19255");
    EXPECT_STREQ(record.timeText, "255:255:255");
}

TEST(LogEntryDecoder, CutsALongMessageAndStopsAtAZeroByte) {
    EntryFields fields;
    fields.message = std::string(500, 'm');
    Bytes buffer = answerBuffer(answerData(entryBytes(fields)));
    LogEntryInfo record = filled();
    ASSERT_EQ(decodeLogEntry(buffer.data(), buffer.size(), &record), ERR_SUCCESS);
    EXPECT_EQ(std::string(record.message), std::string(383, 'm'));

    fields.message = std::string("ab\0cd", 5);
    fields.label = "AB";  // shorter label: zero bytes after it
    buffer = answerBuffer(answerData(entryBytes(fields)));
    ASSERT_EQ(decodeLogEntry(buffer.data(), buffer.size(), &record), ERR_SUCCESS);
    EXPECT_STREQ(record.message, "ab");
    EXPECT_STREQ(record.label, "AB");
}

struct MalformedCase {
    const char* name;
    int32_t result;
    Bytes (*answer)();
};

Bytes goodEntry() { return entryBytes(EntryFields{}); }

const MalformedCase kMalformed[] = {
    {"status", ERR_BAD_ANSWER, [] { return answerBuffer(answerData(goodEntry()), 7); }},
    {"length0", ERR_EMPTY,
     [] {
         return answerBuffer({0, 0});
     }},
    {"statusOnly", ERR_EMPTY, [] { return answerBuffer({}); }},
    {"oneByte", ERR_EMPTY, [] { return answerBuffer({0x20}); }},
    {"length19", ERR_BAD_ANSWER, [] { return answerBuffer(answerData(Bytes(19, 'a'))); }},
    {"pastDataLength", ERR_BAD_ANSWER,
     [] {
         Bytes data = answerData(goodEntry());
         data.pop_back();  // the claimed entry is one byte longer than the answer holds
         return answerBuffer(data);
     }},
    {"pastBuffer", ERR_BAD_ANSWER,
     [] {
         Bytes buffer = answerBuffer(Bytes(4085, 'a'));
         buffer[9] = 0xF6;  // 4086
         buffer[10] = 0x0F;
         return buffer;
     }},
    {"claimedLengthPastBuffer", ERR_BAD_ANSWER,
     [] {
         Bytes buffer = answerBuffer(answerData(goodEntry()));
         buffer[9] = 0xFF;
         buffer[10] = 0xFF;
         buffer[2] = 0xFF;
         buffer[3] = 0xFF;
         return buffer;
     }},
};

class MalformedEntry : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedEntry, IsRefusedAndLeavesTheRecordUntouched) {
    Bytes buffer = GetParam().answer();
    LogEntryInfo record = filled();
    EXPECT_EQ(decodeLogEntry(buffer.data(), buffer.size(), &record), GetParam().result);
    EXPECT_TRUE(untouched(record));
}

INSTANTIATE_TEST_SUITE_P(Answers, MalformedEntry, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LogEntryDecoder, LongestEntryReadsToTheEndOfTheBuffer) {
    EntryFields fields;
    fields.message = std::string(4085 - 20, 'q');
    Bytes buffer = answerBuffer(answerData(entryBytes(fields)));
    LogEntryInfo record = filled();
    EXPECT_EQ(decodeLogEntry(buffer.data(), buffer.size(), &record), ERR_SUCCESS);
    EXPECT_EQ(std::strlen(record.message), 383u);
    // The same answer handed over shorter than it claims: refused, nothing read past the end.
    record = filled();
    EXPECT_EQ(decodeLogEntry(buffer.data(), 1000, &record), ERR_BAD_ANSWER);
    EXPECT_TRUE(untouched(record));
    EXPECT_EQ(decodeLogEntry(buffer.data(), buffer.size(), nullptr), ERR_INVALID_PARAMETER);
}

class EventLogOps : public ::testing::Test {
protected:
    yattest::LogCapture log;
    FakeComm comm{2};
    EventLog eventLog{&comm};
};

TEST_F(EventLogOps, FirstAndNextSendTheirCommandTypesToTheNode) {
    comm.answer("3.4.2", answerData(goodEntry())).type(wire::kGet);
    comm.answer("3.4.2", {0, 0}).type(wire::kGetNext);
    LogEntryInfo record = filled();
    EXPECT_EQ(eventLog.getFirstLogEntry(1, &record), ERR_SUCCESS);
    EXPECT_STREQ(record.message, "Fan 3 failed.");
    EXPECT_EQ(eventLog.getNextLogEntry(1, &record), ERR_EMPTY);
    std::vector<yattest::Request> sent = comm.requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].node, 1);
    EXPECT_EQ(sent[0].type, wire::kGet);
    EXPECT_EQ(sent[1].type, wire::kGetNext);
    EXPECT_EQ(sent[1].command, "3.4.2");
    EXPECT_TRUE(log.has("cLibYAT::getFirstLogEntry", "getting the first log entry for node [1]"));
    EXPECT_TRUE(log.has("cLibYAT::getFirstLogEntry", "getcommanddata returned [0]"));
}

TEST_F(EventLogOps, ArgumentAndTransportFailures) {
    LogEntryInfo record = filled();
    EXPECT_EQ(eventLog.getFirstLogEntry(0, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_EQ(eventLog.getNextLogEntry(0, nullptr), ERR_INVALID_PARAMETER);
    EXPECT_TRUE(log.has("cLibYAT::getFirstLogEntry", "the entry is null"));
    EXPECT_TRUE(comm.requests().empty());
    comm.fail("3.4.2", 21);
    EXPECT_EQ(eventLog.getFirstLogEntry(0, &record), 21);
    EXPECT_EQ(eventLog.getNextLogEntry(0, &record), 21);
    EXPECT_TRUE(log.has("cLibYAT::getFirstLogEntry", "sending log entry failed"));
    EXPECT_TRUE(untouched(record));

    EventLog closed(nullptr);
    EXPECT_EQ(closed.getFirstLogEntry(0, &record), ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(closed.getNextLogEntry(0, &record), ERR_DEVICE_NOT_OPEN);
    EXPECT_EQ(closed.eraseLog(0), ERR_DEVICE_NOT_OPEN);
    EXPECT_TRUE(log.has("cLibYAT::eraseLog()", "device is null."));
}

TEST_F(EventLogOps, EraseSendsASetWithoutDataAndReportsARefusal) {
    comm.answer("3.4.3", {}).times(1);
    EXPECT_EQ(eventLog.eraseLog(1), ERR_SUCCESS);
    yattest::Request request = comm.requests().at(0);
    EXPECT_EQ(request.type, wire::kSet);
    EXPECT_EQ(request.command, "3.4.3");
    EXPECT_TRUE(request.data.empty());
    EXPECT_EQ(request.node, 1);

    comm.status("3.4.3", 5).times(1);
    EXPECT_EQ(eventLog.eraseLog(1), ERR_BAD_ANSWER);
    comm.fail("3.4.3", 9);
    EXPECT_EQ(eventLog.eraseLog(1), 9);
    EXPECT_TRUE(log.has("cLibYAT::eraseLog()", "sendCommand() failed. Return code: [9]"));
}

}  // namespace
