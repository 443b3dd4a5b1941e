// Local event enables "5.2.<n>": the library asks each node for seven kinds of events when
// monitoring starts. A set of one byte is accepted; a get answers enabled.

#include "sim/handlers/handlers.h"

namespace yatsim {

void registerEventEnableHandlers(HandlerTable& table) {
    table.addFamily("5.2", [](NodeState&, const Request& request) {
        if (request.command.size() != 3) return Answer::failure(spstatus::kUnknownCommand);
        return answers::readWrite(
            request, [] { return Answer::ok({1}); }, 1, [](const Bytes&) { return Answer::ok(); });
    });
}

}  // namespace yatsim
