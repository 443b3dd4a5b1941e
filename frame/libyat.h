#pragma once
// Library-internal companion of the library object: the release step of closeLibrary. The object
// itself is declared in yat/libyat.h.

#include <cstdint>

#include "events/stop_flag.h"
#include "platform/library_mutex.h"
#include "yat/libyat.h"

// The release step of closeLibrary.
class cSPDev {
public:
    // Under the library mutex counts one user less; destroys the object when none is left. Returns the
    // number of users left, or 0 when the object was destroyed or none existed.
    static int32_t Release();
};
