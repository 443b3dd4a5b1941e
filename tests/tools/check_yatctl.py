#!/usr/bin/env python3
"""End-to-end checks of yatctl: runs the program (which loads libyat.so beside it) over the default
scenario or a small scenario file and checks exit status, output and messages.

Usage: check_yatctl.py YATCTL CASE
"""
import json
import os
import subprocess
import sys
import tempfile

YATCTL = sys.argv[1]
CASE = sys.argv[2]
WORK = tempfile.mkdtemp(prefix="yatctl-test-")


def run(*args, expect):
    """Runs yatctl with args (and a log folder of its own); checks the exit status."""
    command = [YATCTL, "--log-dir", WORK, *args]
    done = subprocess.run(command, capture_output=True, text=True, timeout=60)
    if done.returncode != expect:
        fail(f"{' '.join(args)}: exit {done.returncode}, expected {expect}\nstdout:\n{done.stdout}\nstderr:\n{done.stderr}")
    return done


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def scenario_file(text):
    path = os.path.join(WORK, "scenario.json")
    with open(path, "w") as handle:
        handle.write(text)
    return path


def case_info_json():
    doc = json.loads(run("info", "--json", expect=0).stdout)
    check(doc["nodeCount"] == 2, doc)
    check(doc["spType"] == {"result": 0, "type": 7}, doc["spType"])
    node1 = doc["nodes"][1]
    check(node1["systemState"] == {"result": 0, "state": 4, "powerOn": True, "powerOnHours": 8119,
                                   "restartCount": 35}, node1["systemState"])
    check(node1["watchdogs"]["postWatchdog"] == 300, node1["watchdogs"])
    firmware = {item["kind"]: item for item in node1["firmware"]}
    check(firmware[0]["buildId"] == "YKE151AUS" and firmware[0]["revision"] == "1.21", firmware[0])
    check(firmware[2]["revision"] == "2.41", firmware[2])
    check(firmware[4]["buildId"] == "YKET42A", firmware[4])
    check(os.path.exists(os.path.join(WORK, "libyat.log")), "no libyat.log in --log-dir")


def case_report():
    out = run("report", expect=0).stdout
    for text in ("Node count  2", "SP type     7", "YB10KQ41C7A2", "YKET42A", "9A72C3D5E8114B6FA0D2C4B7E1F38A56"):
        check(text in out, f"report lacks {text!r}:\n{out}")
    check(len(out.splitlines()) <= 50, "report longer than one screen")


def case_report_json():
    doc = json.loads(run("report", "--json", expect=0).stdout)
    check(doc["spType"] == 7 and doc["nodeCount"] == 2, doc)
    check(len(doc["system"]) == 2 and len(doc["firmware"]) == 8, doc)
    check([row["serialNumber"] for row in doc["vpd"] if row["node"] == 1][0] == "YB10KQ41C7B9", doc["vpd"])


def case_vpd_json():
    doc = json.loads(run("vpd", "--json", "--node", "1", "--kind", "9", "--instance", "2", expect=0).stdout)
    row = doc["nodes"][0]["devices"][0]
    check(row["result"] == 0 and row["serialNumber"] == "YP4A1K120866", row)
    run("vpd", "--kind", "9", "--instance", "3", expect=1)  # no third supply
    full = json.loads(run("vpd", "--json", expect=0).stdout)
    check(full["nodes"][0]["machine"]["machineType"] == "8872", full["nodes"][0]["machine"])
    check(full["nodes"][0]["postBios"]["machineTypeModel"] == "88724RX", full["nodes"][0]["postBios"])
    check(len([d for d in full["nodes"][0]["devices"] if d["kind"] == 9]) == 2, full["nodes"][0]["devices"])


def case_raw_json():
    doc = json.loads(run("raw", "4.3.3.2", "--node", "1", "--json", expect=0).stdout)
    check(doc["answer"] == {"type": 4, "commandLength": 4, "dataLength": 2, "status": 0, "command": "4.3.3.2",
                            "data": "23 00"}, doc["answer"])
    doc = json.loads(run("raw", "ff.12.5", "--type", "set", "--data", "0601", "--json", expect=0).stdout)
    check(doc["answer"]["data"].startswith("00 20 01 02 41"), doc["answer"])
    doc = json.loads(run("raw", "9.9", "--json", expect=1).stdout)
    check(doc["answer"]["status"] == 255, doc)


def case_failure_exit():
    path = scenario_file(json.dumps({"nodes": [{"system": {"state": 2}}],
                                     "faults": {"rules": [{"fault": "transport", "command": "6.1", "value": 5}]}}))
    done = run("--scenario", path, "info", "--json", expect=1)
    doc = json.loads(done.stdout)
    check(doc["nodes"][0]["systemState"] == {"result": 5}, doc["nodes"][0])
    check(doc["nodes"][0]["firmware"][0]["result"] == 2, doc["nodes"][0]["firmware"])  # no BIOS image: status 2
    run("--lib", os.path.join(WORK, "missing.so"), "info", expect=1)


def case_usage_errors():
    def usage(*args, needle):
        done = run(*args, expect=2)
        lines = done.stderr.strip().splitlines()
        check(len(lines) == 1 and needle in lines[0], f"{args}: stderr {done.stderr!r} lacks {needle!r}")
        check(done.stdout == "", f"{args}: printed {done.stdout!r}")

    usage("raw", "4.3.x", needle="malformed dot command")
    usage("raw", "4.3.6", "--data", "abc", needle="--data")
    usage("raw", "4.3.6", "--node", "2", needle="--node 2")
    usage("info", "--node", "7", needle="--node 7")
    usage("--scenario", os.path.join(WORK, "none.json"), "info", needle="none.json: cannot open")
    usage("--scenario", scenario_file("{\"nodes\": ["), "report", needle="not JSON")
    usage("--scenario", scenario_file('{"nodes": [{"system": {"restartCount": -1}}]}'), "info",
          needle="nodes[0].system.restartCount: expected an integer from 0 to 65535")
    usage("frobnicate", needle="yatctl:")
    usage("vpd", "--instance", "2", needle="--instance needs --kind")
    check(run("--help", expect=0).stdout.startswith("yatctl"), "no help")
    check("--data" in run("raw", "--help", expect=0).stdout, "no raw help")


globals()["case_" + CASE.replace("-", "_")]()
print("PASS:", CASE)
