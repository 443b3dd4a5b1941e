// The HTTP side of yat-redfishd's EventService (see event_stream.h).

#include "redfish/event_stream.h"

#include <memory>

#include "redfish/protocol.h"

namespace redfish {

namespace {

// How long a stream waits for an event before it checks its client, and how many such waits pass
// before it writes a comment line that keeps proxies from closing an idle stream.
constexpr std::chrono::milliseconds kStreamWait{500};
constexpr int kWaitsPerKeepAlive = 30;
constexpr time_t kConnectSeconds = 2, kTransferSeconds = 5;

}  // namespace

void serveEventStream(EventHub& hub, httplib::Response& res) {
    std::shared_ptr<EventHub::StreamClient> client = hub.openStream();
    if (!client) {
        Reply busy = errorReply(503, "ServiceTemporarilyUnavailable",
                                "The service is temporarily unavailable.  Retry in 60 seconds.", {"60"});
        res.status = busy.status;
        res.set_header("Retry-After", "60");
        res.set_content(jsonText(busy.body), "application/json;charset=utf-8");
        return;
    }
    res.set_header("Cache-Control", "no-cache");
    auto idle = std::make_shared<int>(0);
    res.set_chunked_content_provider("text/event-stream", [client, idle](size_t, httplib::DataSink& sink) {
        std::optional<std::string> text = client->next(kStreamWait);
        // Dropped, or the service stops: the connection closes now (a finished response would leave
        // the thread waiting for the client's next request on the kept-alive connection).
        if (!text) return false;
        if (text->empty()) {
            if (!sink.is_writable()) return false;
            if (++*idle < kWaitsPerKeepAlive) return true;
            *text = ": keep-alive\n\n";
        }
        *idle = 0;
        return sink.write(text->data(), text->size());
    });
}

Poster httpPoster() {
    return [](const std::string& destination, const std::string& body) {
        size_t host = destination.find("//") + 2;
        size_t slash = destination.find('/', host);
        std::string origin = destination.substr(0, slash);
        std::string path = slash == std::string::npos ? "/" : destination.substr(slash);
        httplib::Client client(origin);
        if (!client.is_valid()) return false;
        client.enable_server_certificate_verification(true);
        client.set_connection_timeout(kConnectSeconds, 0);
        client.set_read_timeout(kTransferSeconds, 0);
        client.set_write_timeout(kTransferSeconds, 0);
        httplib::Result answer = client.Post(path, body, "application/json");
        return answer && answer->status >= 200 && answer->status < 300;
    };
}

}  // namespace redfish
