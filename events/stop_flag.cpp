#include "events/stop_flag.h"

std::atomic<bool> eventStopFlag{false};
