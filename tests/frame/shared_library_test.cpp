// Loads the built shared library the way a host does (dlopen, dlsym) and opens it with a fake comm
// device through the exported entry points.

#include <gtest/gtest.h>
#include <dlfcn.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "yat/bus_comm.h"
#include "yat/device_lib.h"
#include "yat/result_codes.h"
#include "kit/fake_comm.h"
#include "kit/scoped_settings.h"

namespace {

// What a host declares: it knows the interface, not the library's own class.
using OpenLibrary = int32_t (*)(cDeviceLib** out, cBusComm* commDevice);
using CloseLibrary = int32_t (*)();

TEST(SharedLibrary, HostOpensAndClosesThroughTheExportedEntryPoints) {
    yattest::TempDir logDir;
    setenv("YAT_LOG_DIR", logDir.path().c_str(), 1);  // the loaded copy reads its settings at first open

    // Kept mapped after dlclose, as a host keeps it until it exits: the library's log state is meant
    // to outlive every thread that might still log.
    void* handle = dlopen(YAT_SHARED_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(handle, nullptr) << dlerror();
    auto open = reinterpret_cast<OpenLibrary>(dlsym(handle, "openLibrary"));
    auto close = reinterpret_cast<CloseLibrary>(dlsym(handle, "closeLibrary"));
    ASSERT_NE(open, nullptr);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(dlsym(handle, "_ZN7cLibYAT7OpenLibEPPS_P8cBusComm"), nullptr);  // nothing else is visible

    yattest::FakeComm comm(3);
    cDeviceLib* lib = nullptr;
    EXPECT_EQ(open(&lib, &comm), ERR_SUCCESS);
    ASSERT_NE(lib, nullptr);
    EXPECT_EQ(lib->getNodeCount(), 3u);  // through the loaded library's slot table
    EXPECT_EQ(lib->getTypeSupportLevel(0, 3), 3);
    EXPECT_TRUE(lib->capabilityFlag9());
    EXPECT_EQ(close(), 0);

    yattest::FakeComm wrong(1, 98);
    cDeviceLib* none = lib;
    EXPECT_EQ(open(&none, &wrong), ERR_NO_RESOURCE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(close(), 0);
    EXPECT_EQ(dlclose(handle), 0);
    unsetenv("YAT_LOG_DIR");

    std::ifstream in(logDir.file("libyat.log"));
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\tThe SP Device was opened, number nodes is [3] again\n"), std::string::npos);
    EXPECT_NE(text.str().find("\tThe comm device is not null, deviceID = [98] and DEVSP = [99]\n"), std::string::npos);
}

}  // namespace
