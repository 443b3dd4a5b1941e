// The system event log family: "3.4.2" get (the newest entry) and get next (the one before the entry
// handed out last), answered as entry length and entry bytes; "3.4.3" clears the log.

#include "events/sel_wire.h"
#include "sim/handlers/handlers.h"
#include "sim/sections/event_log.h"

namespace yatsim {

namespace {

Answer entryAnswer(const Bytes* entry) {
    if (entry == nullptr) return Answer::ok(answers::le16(0));
    Bytes data = answers::le16(static_cast<uint16_t>(entry->size()));
    data.insert(data.end(), entry->begin(), entry->end());
    return Answer::ok(std::move(data));
}

}  // namespace

void registerEventLogHandlers(HandlerTable& table) {
    table.add(selwire::kReadCommand, [](NodeState& node, const Request& request) {
        EventLogSection& log = node.section<EventLogSection>();
        if (!request.data.empty()) return Answer::failure(spstatus::kInvalidRequest);
        if (request.type == wire::kGet) {
            log.handedOut = 0;
        } else if (request.type != wire::kGetNext) {
            return Answer::failure(spstatus::kInvalidRequest);
        }
        if (log.handedOut >= log.entries.size()) return entryAnswer(nullptr);
        const Bytes& entry = log.entries[log.entries.size() - 1 - log.handedOut];
        ++log.handedOut;
        return entryAnswer(&entry);
    });
    table.add(selwire::kEraseCommand, [](NodeState& node, const Request& request) {
        if (request.type != wire::kSet || !request.data.empty()) return Answer::failure(spstatus::kInvalidRequest);
        EventLogSection& log = node.section<EventLogSection>();
        log.entries.clear();
        log.handedOut = 0;
        return Answer::ok();
    });
}

}  // namespace yatsim
