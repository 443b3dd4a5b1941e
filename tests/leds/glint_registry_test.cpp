// initGlint: the LED panel registry tree turned into the LED list, and the shared registry instance.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "leds/glint_registry.h"
#include "led_test_util.h"
#include "platform/runtime.h"
#include "platform/utils.h"
#include "yat/result_codes.h"

namespace {

using ledtest::PanelTest;

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
const std::string kBase = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zentro\\Vigilor\\glint";

// The tree of one command with one group (cmd0\grp0) plus extra lines.
std::string oneGroupTree(const std::string& extra, const std::string& dotCommand = "d.1") {
    return kHeader + kBase + "]\n\"numberofcmds\"=dword:00000001\n\"ledGrp0DotCmd\"=\"" + dotCommand +
           "\"\n\"numberofcmd0groups\"=dword:00000001\n" + kBase +
           "\\cmd0\\grp0]\n\"ledbus\"=dword:00000003\n\"ledbustype\"=dword:00000002\n"
           "\"leddevicetype\"=dword:00001234\n\"ledregister\"=dword:00000007\n" +
           extra;
}

TEST_F(PanelTest, TwoNodesWithTwoLedsGiveFourRecordsInNodeOrder) {
    writeRegistry(oneGroupTree(kBase +
                               "\\cmd0\\grp0\\led0]\n\"type\"=dword:00000002\n\"regaddr\"=dword:00000050\n"
                               "\"location\"=dword:00000009\n\"index\"=dword:00000004\n" +
                               kBase +
                               "\\cmd0\\grp0\\led0\\sensor0]\n\"index\"=dword:00000001\n"
                               "\"mask\"=dword:00000006\n\"location\"=dword:00000008\n" +
                               kBase + "\\cmd0\\grp0\\led1]\n\"index\"=dword:00000005\n"));
    ASSERT_EQ(panel_.initGlint(), ERR_SUCCESS);
    GlintLEDList leds = panel_.leds();
    ASSERT_EQ(leds.size(), 4u);
    const int32_t nodes[] = {0, 0, 1, 1};
    const int32_t indexes[] = {4, 5, 4, 5};
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(leds[i].node, nodes[i]);
        EXPECT_EQ(leds[i].index, indexes[i]);
        EXPECT_STREQ(leds[i].dotCommand, "d.1");
        EXPECT_EQ(leds[i].ledbus, 3u);
        EXPECT_EQ(leds[i].ledbustype, 2u);
        EXPECT_EQ(leds[i].leddevicetype, 0x1234u);
        EXPECT_EQ(leds[i].ledregister, 7u);
        EXPECT_EQ(leds[i].state, 0);
    }
    EXPECT_EQ(leds[0].type, 2);
    EXPECT_EQ(leds[0].location, 9);
    ASSERT_EQ(leds[0].sensors.size(), 1u);
    const cGlintSensor& sensor = leds[0].sensors[0];
    EXPECT_EQ(sensor.index, 1);
    EXPECT_EQ(sensor.regaddr, 0x50u);
    EXPECT_EQ(sensor.mask, 6u);
    EXPECT_EQ(sensor.location, 8);
    EXPECT_EQ(sensor.status, 0);
    // led1 has no values of its own beyond its index, and no sensors.
    EXPECT_EQ(leds[1].type, 0);
    EXPECT_TRUE(leds[1].sensors.empty());
}

TEST_F(PanelTest, SensorSeriesEndsAtTheFirstGap) {
    writeRegistry(oneGroupTree(kBase + "\\cmd0\\grp0\\led0\\sensor0]\n\"mask\"=dword:00000001\n" + kBase +
                               "\\cmd0\\grp0\\led0\\sensor2]\n\"mask\"=dword:00000004\n"));
    ASSERT_EQ(panel_.initGlint(), ERR_SUCCESS);
    GlintLEDList leds = panel_.leds();
    ASSERT_EQ(leds.size(), 2u);
    ASSERT_EQ(leds[0].sensors.size(), 1u);
    EXPECT_EQ(leds[0].sensors[0].mask, 1u);
}

TEST_F(PanelTest, SecondInitGlintKeepsTheListWithoutReadingTheRegistry) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusDMC, 3)}));
    ASSERT_EQ(panel_.initGlint(), ERR_SUCCESS);
    removeRegistry();
    log_.clear();
    EXPECT_EQ(panel_.initGlint(), ERR_SUCCESS);
    EXPECT_EQ(panel_.leds().size(), 6u);
    EXPECT_TRUE(log_.texts("cLibYAT::initGlint").empty());
}

TEST_F(PanelTest, AbsentFileGives9AndALaterCallReadsItOnceItExists) {
    EXPECT_EQ(panel_.initGlint(), ERR_NO_DEVICE);
    EXPECT_TRUE(panel_.leds().empty());
    writePanel(ledtest::panel({ledtest::group(kGlintBusI2C, 1)}));
    EXPECT_EQ(panel_.initGlint(), ERR_SUCCESS);
    EXPECT_EQ(panel_.leds().size(), 2u);
}

#ifndef _WIN32
// A FIFO in the registry file's place used to be opened and waited on for ever, with the library
// mutex held: it is refused at once, as a missing file is, and a later call reads the file once it
// is a regular one again.
TEST_F(PanelTest, FifoInPlaceOfTheRegistryFileIsRefused) {
    std::filesystem::path folder = std::filesystem::path(root_.path()) / "proddata" / "hwsupp";
    std::filesystem::create_directories(folder);
    const std::string fifo = (folder / "kdxreg.ini").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::atomic<int32_t> result{-1};
    std::thread call([&] { result = panel_.initGlint(); });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (result.load() == -1 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bool returned = result.load() != -1;
    if (!returned) {
        // Let the stuck open finish: a writer that comes and goes gives the reader an empty file.
        int writer = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    call.join();
    ASSERT_TRUE(returned) << "initGlint waited on the FIFO";
    EXPECT_EQ(result.load(), ERR_NO_DEVICE);
    EXPECT_EQ(log_.countText("the LED panel registry file [" + fifo + "] is not a regular file"), 1u);
    std::filesystem::remove(fifo);
    writePanel(ledtest::panel({ledtest::group(kGlintBusI2C, 1)}));
    EXPECT_EQ(panel_.initGlint(), ERR_SUCCESS);
}
#endif

TEST_F(PanelTest, NoCommDeviceGives9) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusI2C, 1)}));
    LedPanel noDevice(nullptr, mutex_);
    EXPECT_EQ(noDevice.initGlint(), ERR_NO_DEVICE);
    EXPECT_TRUE(noDevice.leds().empty());
}

struct TreeCase {
    const char* name;
    std::string text;
    int32_t result;
    size_t ledsPerNode;
    const char* logText;  // a decision line expected under "cLibYAT::initGlint", or ""
};

class TreeCases : public PanelTest, public ::testing::WithParamInterface<TreeCase> {};

TEST_P(TreeCases, BuildWhatTheFileHolds) {
    const TreeCase& c = GetParam();
    writeRegistry(c.text);
    EXPECT_EQ(panel_.initGlint(), c.result);
    GlintLEDList leds = panel_.leds();
    EXPECT_EQ(leds.size(), 2 * c.ledsPerNode);
    if (std::strlen(c.logText) > 0) {
        EXPECT_TRUE(log_.has("cLibYAT::initGlint", c.logText)) << c.logText;
    }
}

const std::string kLed0 = kBase + "\\cmd0\\grp0\\led0]\n";
const std::string kCommand1 = "\"ledGrp1DotCmd\"=\"d.2\"\n\"numberofcmd1groups\"=dword:00000001\n" + kBase +
                              "\\cmd1\\grp0]\n" + kBase + "\\cmd1\\grp0\\led0]\n";

INSTANTIATE_TEST_SUITE_P(
    Registry, TreeCases,
    ::testing::Values(
        TreeCase{"Empty", "", ERR_NO_DEVICE, 0, "the LED panel base key is missing"},
        TreeCase{"Binary", std::string("\x00\x01\xFF\xFE[\x80\x81]\"\x00=", 11), ERR_NO_DEVICE, 0, ""},
        TreeCase{"NoNumberOfCommands", kHeader + kBase + "]\n" + kBase + "\\cmd0\\grp0\\led0]\n", ERR_NO_DEVICE, 0,
                 "the LED panel has no number of commands"},
        TreeCase{"NumberOfCommandsAsText", kHeader + kBase + "]\n\"numberofcmds\"=\"1\"\n", ERR_NO_DEVICE, 0, ""},
        TreeCase{"TooManyCommands", kHeader + kBase + "]\n\"numberofcmds\"=dword:00000101\n", ERR_NO_DEVICE, 0,
                 "the LED panel claims [257] commands, more than [256]; the registry file is wrong"},
        TreeCase{
            "TooManyGroupsSkipsThatCommandOnly",
            kHeader + kBase +
                "]\n\"numberofcmds\"=dword:00000002\n\"ledGrp0DotCmd\"=\"d.1\"\n"
                "\"numberofcmd0groups\"=dword:ffffffff\n" +
                kCommand1 + kLed0,
            ERR_SUCCESS, 1,
            "command [0] claims [4294967295] groups, more than [256]; the registry file is wrong, command skipped"},
        TreeCase{"DotCommandOf64CharactersIsSkipped", oneGroupTree(kLed0, std::string(64, '1')), ERR_NO_DEVICE, 0,
                 "the dot command of command [0] is longer than [63] characters; command skipped"},
        TreeCase{"DotCommandOf63CharactersIsKept", oneGroupTree(kLed0, std::string(63, '1')), ERR_SUCCESS, 1, ""},
        TreeCase{"DotCommandAsNumberIsMissing",
                 kHeader + kBase +
                     "]\n\"numberofcmds\"=dword:1\n\"ledGrp0DotCmd\"=dword:1\n"
                     "\"numberofcmd0groups\"=dword:1\n" +
                     kLed0,
                 ERR_NO_DEVICE, 0, "command [0] has no dot command; command skipped"},
        TreeCase{"MissingGroupCountSkipsTheCommand",
                 kHeader + kBase + "]\n\"numberofcmds\"=dword:2\n\"ledGrp0DotCmd\"=\"d.1\"\n" + kCommand1 + kLed0,
                 ERR_SUCCESS, 1, "command [0] has no group count; command skipped"},
        TreeCase{"MissingGroupKeyIsSkipped",
                 kHeader + kBase +
                     "]\n\"numberofcmds\"=dword:1\n\"ledGrp0DotCmd\"=\"d.1\"\n"
                     "\"numberofcmd0groups\"=dword:2\n" +
                     kBase + "\\cmd0\\grp1\\led0]\n" + kBase + "\\cmd0\\grp1\\led1]\n",
                 ERR_SUCCESS, 2, ""},
        TreeCase{"ValuesOfTheWrongKindCountAs0", oneGroupTree(kLed0 + "\"index\"=\"7\"\n\"type\"=dword:zz\n"),
                 ERR_SUCCESS, 1, "node [0]: [1] registry values of the wrong kind were taken as missing"},
        TreeCase{
            "KeysAndNamesInOtherCase",
            kHeader +
                "[hkey_local_machine\\software\\ZENTRO\\vigilor\\GLINT]\n\"NUMBEROFCMDS\"=dword:1\n"
                "\"ledgrp0dotcmd\"=\"d.1\"\n\"NumberOfCmd0Groups\"=dword:1\n[SOFTWARE\\zentro\\vigilor\\glint\\CMD0\\GRP0\\LED0]\n",
            ERR_SUCCESS, 1, ""},
        TreeCase{"DeepTreeBelowAnLed", oneGroupTree(kBase + "\\cmd0\\grp0\\led0\\sensor0\\a\\b\\c\\d\\e\\f]\n"),
                 ERR_SUCCESS, 1, ""},
        TreeCase{"TreeWithoutLeds", oneGroupTree(""), ERR_NO_DEVICE, 0, "built [0] LED records"}),
    [](const ::testing::TestParamInfo<TreeCase>& info) { return std::string(info.param.name); });

TEST_F(PanelTest, ValuesOfTheWrongKindAreZero) {
    writeRegistry(oneGroupTree(kLed0 + "\"index\"=\"7\"\n\"location\"=dword:00000009\n"));
    ASSERT_EQ(panel_.initGlint(), ERR_SUCCESS);
    EXPECT_EQ(panel_.leds()[0].index, 0);
    EXPECT_EQ(panel_.leds()[0].location, 9);
}

TEST_F(PanelTest, OnlyTheFirst4MiBOfTheFileAreRead) {
    std::string padding;
    while (padding.size() <= 4u * 1024 * 1024) padding += "; " + std::string(1000, 'x') + "\n";
    writeRegistry(padding + oneGroupTree(kLed0));
    EXPECT_EQ(panel_.initGlint(), ERR_NO_DEVICE);
}

TEST_F(PanelTest, TheListStopsAtItsLargestSize) {
    std::string text = oneGroupTree("");
    const size_t perNode = glintreg::kMaxLedRecords / 2 + 10;
    for (size_t l = 0; l < perNode; ++l) text += kBase + "\\cmd0\\grp0\\led" + std::to_string(l) + "]\n";
    writeRegistry(text);
    ASSERT_EQ(panel_.initGlint(), ERR_SUCCESS);
    GlintLEDList leds = panel_.leds();
    EXPECT_EQ(leds.size(), glintreg::kMaxLedRecords);
    EXPECT_EQ(leds.back().node, 1);
    EXPECT_TRUE(
        log_.has("cLibYAT::initGlint", "the LED list holds [4096] records, the most it keeps; further LEDs left out"));
}

TEST_F(PanelTest, SharedRegistryIsCountedAndFreedByItsLastUser) {
    writePanel(ledtest::panel({ledtest::group(kGlintBusI2C, 1)}));
    cGLSuppRegistry* first = nullptr;
    cGLSuppRegistry* second = nullptr;
    ASSERT_EQ(cGLSuppRegistry::acquire(&first), ERR_SUCCESS);
    ASSERT_EQ(cGLSuppRegistry::acquire(&second), ERR_SUCCESS);
    EXPECT_EQ(first, second);
    cGLSuppRegistry::release();
    EXPECT_TRUE(first->CheckRegTree(glintreg::kBaseKey));  // still held by the second user
    cGLSuppRegistry::release();
    removeRegistry();
    cGLSuppRegistry* third = nullptr;
    EXPECT_EQ(cGLSuppRegistry::acquire(&third), ERR_NOT_OPENED);  // a fresh instance over the missing file
    EXPECT_EQ(third, nullptr);
    EXPECT_EQ(cGLSuppRegistry::acquire(nullptr), ERR_NO_RESOURCE);
}

TEST_F(PanelTest, RootFilePathUsesThePlatformSeparatorAndRefusesOverlongPaths) {
    std::string path;
    ASSERT_TRUE(rootFilePath("proddata\\hwsupp\\kdxreg.ini", path));
    const std::string separator = pathSeparator();
    EXPECT_EQ(path, root_.path() + separator + "proddata" + separator + "hwsupp" + separator + "kdxreg.ini");
    EXPECT_FALSE(rootFilePath(std::string(260, 'a').c_str(), path));
    EXPECT_TRUE(path.empty());
    EXPECT_FALSE(rootFilePath(nullptr, path));
}

}  // namespace
