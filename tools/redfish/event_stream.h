#pragma once
// The HTTP side of yat-redfishd's EventService: the server-sent event stream a client keeps open, and
// the POST that carries an event to a subscription's destination.

#include <httplib.h>

#include "redfish/events.h"

namespace redfish {

// Answers GET of the stream: text/event-stream, one "id:"/"data:" record per event as it comes, a
// comment line when nothing came for a while (finds a client gone). 503 with a Redfish error body when
// EventHub::kMostStreamClients are open. The stream ends when the client goes, does not keep up, or
// the hub stops.
void serveEventStream(EventHub& hub, httplib::Response& res);

// A Poster over cpp-httplib's client: one POST of the body to an http:// or https:// destination
// (certificate checked), with short timeouts; true for a 2xx answer.
Poster httpPoster();

}  // namespace redfish
