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

}  // namespace
