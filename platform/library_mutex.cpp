#include "platform/library_mutex.h"

QV::Mutex libraryMutex;
