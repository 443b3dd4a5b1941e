// Event-code lists of the SP: the group-by-group read and the active-code tests.

#include "events/system_health.h"

#include <algorithm>

#include "events/event_config_wire.h"
#include "platform/byte_reader.h"
#include "platform/log.h"
#include "yat/result_codes.h"
#include "events/log_texts.h"

EventCodeGroup decodeEventCodes(const uint8_t* data, size_t length) {
    EventCodeGroup group;
    ByteReader reader(data, length);
    size_t offset = 0;
    for (; reader.has(offset, eventwire::kCodeSize); offset += eventwire::kCodeSize) {
        group.codes.push_back(reader.u32be(offset));
    }
    group.leftover = reader.size() - offset;
    return group;
}

bool cSystemHealth::sendGroupRequest(cBusComm* comm, int32_t node, const char* dotCommand, uint8_t type) {
    if (buildSPCommand(dotCommand, type, nullptr, nullptr, 0, 0) == nullptr) return false;
    if (send(comm, node) != ERR_SUCCESS) return false;
    // A buffer that is no answer to this request says nothing about the list.
    return answerType() == wire::kAnswer && buffer()[wire::kCommandLengthOffset] == static_cast<uint8_t>(origCmdSize);
}

int32_t cSystemHealth::getEvents(cBusComm* comm, int32_t node, const char* dotCommand, std::vector<uint32_t>* codes) {
    constexpr const char* tag = events_texts::kTagCSystemHealthGetEvents;
    if (codes == nullptr) return ERR_INVALID_PARAMETER;
    if (comm == nullptr || !sendGroupRequest(comm, node, dotCommand, wire::kGet)) {
        yatLog(tag, events_texts::kReturningRetVal, ERR_BAD_ANSWER);
        return ERR_BAD_ANSWER;
    }
    dumpdata(cmdBuffer, wire::kHeaderSize + static_cast<size_t>(origCmdSize) +
                            wire::boundedDataLength(cmdBuffer, static_cast<size_t>(origCmdSize)));
    SpStatus status = answerStatus();
    yatLog(tag, events_texts::kStatus, statusByte(status));

    int32_t groups = 0;
    while (status == SpStatus::kOk) {
        if (++groups > eventwire::kMaxCodeGroups) {
            yatLog(tag, events_texts::kTheSPStillListsCodesAfter, eventwire::kMaxCodeGroups);
            yatLog(tag, events_texts::kReturningRetVal, ERR_BAD_ANSWER);
            return ERR_BAD_ANSWER;
        }
        yatLog(tag, events_texts::kDataLen, answerDataLength());
        ByteReader data = answerReader();
        EventCodeGroup group = decodeEventCodes(data.data(), data.size());
        for (size_t i = 0; i < group.codes.size(); ++i) {
            uint32_t code = group.codes[i];
            int32_t first = static_cast<int32_t>(i * eventwire::kCodeSize);
            yatLog(tag, events_texts::kGotCodeData0xCode0x, first, first + 3, code >> 24, (code >> 16) & 0xFF,
                   (code >> 8) & 0xFF, code & 0xFF, code);
            codes->push_back(code);
        }
        if (group.leftover != 0) {
            yatLog(tag, events_texts::kIgnoringBytesAfterTheLastWhole, static_cast<int32_t>(group.leftover));
        }
        yatLog(tag, events_texts::kDoneWithEventCodes);
        if (!sendGroupRequest(comm, node, dotCommand, wire::kGetNext)) {
            yatLog(tag, events_texts::kReturningRetVal, ERR_BAD_ANSWER);
            return ERR_BAD_ANSWER;
        }
        status = answerStatus();
    }
    int32_t result = status == SpStatus{eventwire::kCodesEndStatus} ? ERR_SUCCESS : ERR_BAD_ANSWER;
    yatLog(tag, events_texts::kReturningRetVal, result);
    return result;
}

int32_t cSystemHealth::getActiveEvents(cBusComm* comm, int32_t node, std::vector<uint32_t>* codes) {
    yatLog(events_texts::kTagCSystemHealthGetActiveEvents, events_texts::kCallingGetEvents);
    return getEvents(comm, node, eventwire::kActiveCodesCommand, codes);
}

int32_t cSystemHealth::getActiveEvents(cBusComm* comm, int32_t node, uint32_t code, bool* active) {
    if (active == nullptr) return ERR_INVALID_PARAMETER;
    *active = false;
    std::vector<uint32_t> codes;
    int32_t result = getActiveEvents(comm, node, &codes);
    *active = std::find(codes.begin(), codes.end(), code) != codes.end();
    return result;
}
