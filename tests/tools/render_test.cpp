// The human form of yatctl documents.

#include <gtest/gtest.h>

#include "yatctl/render.h"

namespace {

using yatctl::Document;

TEST(YatctlRender, LabelsFromMemberNames) {
    EXPECT_EQ(yatctl::labelFor("powerOnHours"), "Power on hours");
    EXPECT_EQ(yatctl::labelFor("fruNumber"), "FRU number");
    EXPECT_EQ(yatctl::labelFor("spType"), "SP type");
    EXPECT_EQ(yatctl::labelFor("uuid"), "UUID");
    EXPECT_EQ(yatctl::labelFor("buildId"), "Build ID");
}

TEST(YatctlRender, AlignedRowsTablesAndNodeBlocks) {
    Document doc = Document::parse(R"({
        "nodeCount": 2, "spType": 7,
        "firmware": [{"node": 0, "result": 0, "buildId": "A"}, {"node": 1, "result": 8, "revision": "1.05"}],
        "nodes": [{"node": 1, "state": {"result": 1, "on": true, "name": ""}}]})");
    EXPECT_EQ(yatctl::renderText(doc),
              "Node count  2\n"
              "SP type     7\n"
              "\n"
              "Firmware\n"
              "  Node  Result             Build ID  Revision\n"
              "  0     ok                 A         -\n"
              "  1     8 ERR_INVALID_VPD  -         1.05\n"
              "\n"
              "Node 1\n"
              "\n"
              "  State\n"
              "    Result  1 ERR_FAILED\n"
              "    On      yes\n"
              "    Name    -\n");
}

// Texts from the SP may hold any bytes: neither form may fail on them or pass terminal controls on.
TEST(YatctlRender, ReceivedBytesStayPrintable) {
    Document doc{{"fruNumber", std::string("FRU\xff\x1b[31m\r\xc2\x9b\xe2\x80")},
                 {"unit",
                  "\xc2\xb0"
                  "C"},
                 {"devices", Document::array({Document{{"partNumber", std::string("P\x07\xc0\xaf")}}})}};
    EXPECT_EQ(yatctl::renderText(doc),
              "FRU number  FRU??[31m?????\n"
              "Unit        \xc2\xb0"
              "C\n"
              "\n"
              "Devices\n"
              "  Part number\n"
              "  P???\n");
    EXPECT_EQ(yatctl::renderJson(doc),
              "{\n"
              "  \"fruNumber\": \"FRU\xef\xbf\xbd\\u001b[31m\\r\xc2\x9b\xef\xbf\xbd\",\n"
              "  \"unit\": \"\xc2\xb0"
              "C\",\n"
              "  \"devices\": [\n"
              "    {\n"
              "      \"partNumber\": \"P\\u0007\xef\xbf\xbd\xef\xbf\xbd\"\n"
              "    }\n"
              "  ]\n"
              "}\n");
}

}  // namespace
