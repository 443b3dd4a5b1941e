// Loads the built shared library the way a host does (dlopen and dlsym, LoadLibrary and
// GetProcAddress on Windows) and opens it with a fake comm device through the exported entry points.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "yat/bus_comm.h"
#include "yat/device_lib.h"
#include "yat/result_codes.h"
#include "kit/fake_comm.h"
#include "kit/scoped_settings.h"
#include "kit/shared_library.h"

namespace {

// What a host declares: it knows the interface, not the library's own class.
using OpenLibrary = int32_t (*)(cDeviceLib** out, cBusComm* commDevice);
using CloseLibrary = int32_t (*)();

TEST(SharedLibrary, HostOpensAndClosesThroughTheExportedEntryPoints) {
    yattest::TempDir logDir;
    yattest::setEnvironment("YAT_LOG_DIR", logDir.path().c_str());  // the loaded copy reads it at first open

    yattest::SharedLibrary library(YAT_SHARED_LIBRARY_PATH);
    ASSERT_TRUE(library.loaded()) << library.error();
    auto open = reinterpret_cast<OpenLibrary>(library.symbol("openLibrary"));
    auto close = reinterpret_cast<CloseLibrary>(library.symbol("closeLibrary"));
    ASSERT_NE(open, nullptr);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(library.symbol("_ZN7cLibYAT7OpenLibEPPS_P8cBusComm"), nullptr);  // nothing else is visible

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
    EXPECT_TRUE(library.unload());
    yattest::setEnvironment("YAT_LOG_DIR", nullptr);

    std::ifstream in(logDir.file("libyat.log"));
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\tThe SP Device was opened, number nodes is [3] again\n"), std::string::npos);
    EXPECT_NE(text.str().find("\tThe comm device is not null, deviceID = [98] and DEVSP = [99]\n"), std::string::npos);
}

}  // namespace
