#pragma once
// Library-internal companion of the library object: the release step of closeLibrary. The object
// itself is declared in yat/libyat.h.

#include <cstdint>

#include "platform/library_mutex.h"
#include "yat/libyat.h"

// The release step of closeLibrary.
class cSPDev {
public:
    // Under the library mutex counts one user less; when none is left, destroys the object after
    // letting go of the mutex (an open meanwhile waits for it). Returns the number of users left, 0
    // when the object was destroyed or none existed, or kCloseRefused (nothing changed)
    // for a last close from inside a library operation on the same thread (a sink callback during
    // discovery).
    static int32_t Release();
};
