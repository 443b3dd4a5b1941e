#pragma once
// The plugin contract for comm devices: a shared library that provides a comm device exports one C
// function, yatCommPlugin, which returns a description of itself. A host program that chooses its
// comm device at run time loads the library (dlopen), calls yatCommPlugin, refuses the library when
// the version differs from the one it was built with, and then opens and closes devices through the
// two function pointers. Hosts that link a device directly keep handing any cBusComm to openLibrary.
//
//   const YatCommPlugin* plugin = yatCommPlugin();
//   if (plugin->version != kYatCommPluginVersion) -> refuse: "plugin version N, host expects M"
//   cBusComm* comm = plugin->open("argument text", error, sizeof error);   // null: reason in error
//   ... openLibrary(&lib, comm) ... closeLibrary() ...
//   plugin->close(comm);
//
// open: creates a device from the argument text (its meaning is the plugin's own: a scenario file, a
// socket address, ...; never null, may be empty). Returns the device, owned by the caller until close,
// or null with the reason written to error (always terminated, cut to errorSize) when error is not null
// and errorSize > 0. close: destroys a device from the same plugin's open; null is ignored. Close the
// library first: the device must outlive every call into it. Both may be called from any thread.

#include <cstddef>
#include <cstdint>

#include "yat/bus_comm.h"

// Changes whenever the layout of YatCommPlugin or the meaning of its members changes.
inline constexpr uint32_t kYatCommPluginVersion = 1;

// The name of the exported function.
inline constexpr const char* kYatCommPluginSymbol = "yatCommPlugin";

extern "C" {

struct YatCommPlugin {
    uint32_t version;  // kYatCommPluginVersion of the plugin's build
    const char* name;  // short name of the device kind ("sim", "socket")
    cBusComm* (*open)(const char* argument, char* error, size_t errorSize);
    void (*close)(cBusComm* comm);
};

// The signature of yatCommPlugin: returns a pointer to a description with static lifetime.
typedef const YatCommPlugin* (*YatCommPluginEntry)();
}

// Writes text into a plugin's error buffer as open promises: terminated, cut to errorSize; nothing
// when error is null or errorSize is 0.
inline void yatCommPluginError(char* error, size_t errorSize, const char* text) {
    if (error == nullptr || errorSize == 0) return;
    size_t length = 0;
    while (text != nullptr && text[length] != '\0' && length + 1 < errorSize) ++length;
    for (size_t i = 0; i < length; ++i) error[i] = text[i];
    error[length] = '\0';
}
