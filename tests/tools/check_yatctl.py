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
    check(len(out.splitlines()) <= 60, "report longer than one screen")


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


def case_monitor_json():
    # The demo timeline at YAT_SLEEP_SCALE 0.001 plays in about 45 ms; --for is not scaled.
    out = run("--json", "monitor", "--demo", "--for", "1.5", expect=0).stdout
    lines = [json.loads(line) for line in out.splitlines()]
    check(all(isinstance(line, dict) for line in lines) and len(lines) > 48, out[:2000])
    events = [(l["node"], l["class"], l.get("sensor"), l["event"]) for l in lines if "event" in l]
    for expected in ((1, "fan", 3, "low"), (2, "power", 2, "failed"), (1, "node", 3, "DASD alert"),
                     (2, "node", 0, "PFA alert")):
        check(expected in events, f"no {expected} in {events[-40:]}")
    check(lines[-1].get("note") == "deregistered", lines[-1])
    fan = [l for l in lines if l.get("event") == "low"][0]
    check(fan["reading"] == 0 and fan["lower"] == 550 and fan["unit"] == "RPM", fan)

def case_monitor_scenario():
    # The monitoring scenario: no processor sensors (hot indicators instead) and a timeline from the
    # start, played at 1/20 of real time so it takes about 2.2 s.
    env = dict(os.environ, YAT_SLEEP_SCALE="0.05")
    scenario = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "sim", "monitoring_scenario.json")
    done = subprocess.run([YATCTL, "--log-dir", WORK, "--json", "--scenario", scenario, "monitor", "--pfa", "--for",
                           "5"], capture_output=True, text=True, timeout=60, env=env)
    check(done.returncode == 0, done.stderr)
    lines = [json.loads(line) for line in done.stdout.splitlines()]
    events = [(l["node"], l["class"], l.get("sensor"), l["event"]) for l in lines if "event" in l]
    for expected in ((1, "fan", 3, "low"), (2, "power", 2, "failed"), (1, "node", 3, "DASD alert"),
                     (1, "node", 1, "processor hot"), (1, "node", 1, "processor normal")):
        check(expected in events, f"no {expected} in {events}")
    pfa = [l for l in lines if l.get("class") == "memory"]
    check(len(pfa) == 1 and (pfa[0]["node"], pfa[0]["memoryCard"], pfa[0]["dimm"]) == (2, 2, 5), pfa)


def case_monitor_signal():
    process = subprocess.Popen([YATCTL, "--log-dir", WORK, "monitor"], stdout=subprocess.PIPE, text=True)
    first = process.stdout.readline()
    while "monitoring 2 nodes" not in first:
        first = process.stdout.readline()
        check(first != "", "monitor ended before it was monitoring")
    process.terminate()
    out, _ = process.communicate(timeout=30)
    check(process.returncode == 0, f"exit {process.returncode}")
    check(out.splitlines()[-1].endswith("deregistered"), out[-500:])
    check("fan reading failed" not in out, "the library's progress lines reached the output")


def case_sensors():
    out = run("sensors", "--state-dir", os.path.join(WORK, "state"), expect=0).stdout
    lines = out.splitlines()
    check(sum(1 for line in lines if line.split()[:1] in (["1"], ["2"])) == 48, f"not 48 sensor rows:\n{out}")
    for text in ("44 °C", "80 °C", "-11.94 V", "4350 RPM", "550 RPM", "not checked"):
        check(text in out, f"sensors lacks {text!r}:\n{out}")
    check("fan reading failed" not in out, "the library's progress lines reached the output")
    header = [line for line in lines if line.strip().startswith("Node")][0]
    first = [line for line in lines if "temperature" in line][0]
    check(first.index("°C") < header.index("Lower"), f"columns not aligned:\n{header}\n{first}")


def case_sensors_json():
    doc = json.loads(run("sensors", "--json", "--state-dir", os.path.join(WORK, "state"), expect=0).stdout)
    rows = doc["sensors"]
    check(doc["result"] == 0 and len(rows) == 48, doc)
    by = {(r["node"], r["class"], r["sensor"]): r for r in rows}
    check(by[(1, "temperature", 3)] == {"node": 1, "class": "temperature", "sensor": 3, "type": 1, "location": 2,
                                        "instance": 1, "reading": 44, "unit": "°C", "lower": 80, "upper": 85,
                                        "status": 1, "statusText": "normal", "result": 0}, by[(1, "temperature", 3)])
    volt = by[(2, "voltage", 4)]
    check(volt["reading"] == -11.94 and volt["lower"] == -12.6 and volt["unit"] == "V" and volt["type"] == 6, volt)
    check(by[(2, "fan", 6)]["reading"] == 3800 and by[(2, "fan", 6)]["unit"] == "RPM", by[(2, "fan", 6)])
    supply = by[(1, "power", 2)]
    check(supply["instance"] == 1 and supply["type"] == 37 and supply["status"] == 0 and supply["reading"] is None, supply)


def case_sensors_state():
    state = os.path.join(WORK, "state")
    run("sensors", "--json", "--state-dir", state, expect=0)
    registry = open(os.path.join(state, "registry-data.reg")).read()
    check(registry.count("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zentro\\Vigilor\\SPfan]") == 1, registry)
    check(registry.count(" sensor") == 12 and "node[1] sensor6\n\n" in registry, registry)
    # The fans stay known: fan 3 now unavailable, fans 2 and 4-6 gone.
    path = scenario_file(json.dumps({"nodes": [{"sensors": {"fans": [{"instance": 1, "rpm": 4000},
                                                                     {"instance": 3, "unavailable": True}]}}]}))
    doc = json.loads(run("--scenario", path, "sensors", "--json", "--state-dir", state, expect=0).stdout)
    fans = {r["sensor"]: r for r in doc["sensors"] if r["class"] == "fan"}
    check(sorted(fans) == [1, 2, 3, 4, 5, 6], fans)
    check(fans[1]["reading"] == 4000 and fans[1]["statusText"] == "normal", fans[1])
    check(fans[3]["reading"] == 0 and fans[3]["status"] == 3 and fans[3]["statusText"] == "low", fans[3])
    check(fans[4]["reading"] == 0 and fans[4]["status"] == 0, fans[4])
    check(open(os.path.join(state, "registry-data.reg")).read() == registry, "registry texts added twice")
    # Without --state-dir the texts go below $XDG_STATE_HOME.
    env = dict(os.environ, XDG_STATE_HOME=os.path.join(WORK, "xdg"))
    done = subprocess.run([YATCTL, "--log-dir", WORK, "sensors"], capture_output=True, text=True, timeout=60, env=env)
    check(done.returncode == 0, done.stderr)
    check(os.path.exists(os.path.join(WORK, "xdg", "libyat", "registry-data.reg")), "no registry file below XDG_STATE_HOME")


def case_events():
    doc = json.loads(run("--json", "events", expect=0).stdout)
    rows = doc["events"]
    check(len(rows) == 86 and [r["instance"] for r in rows[:43]] == list(range(43)), len(rows))
    check(rows[2] == {"node": 0, "instance": 2, "type": 17, "description": "Remote Tamper Alarm",
                      "enabled": False, "result": 0}, rows[2])
    check(rows[42]["type"] == 14 and rows[42]["enabled"] is True, rows[42])
    # Each run starts the simulator afresh: the change shows in the entry read back.
    doc = json.loads(run("--json", "events", "enable", "0", "2", expect=0).stdout)
    check(doc["result"] == 0 and doc["event"]["enabled"] is True, doc)
    doc = json.loads(run("--json", "events", "disable", "1", "0", expect=0).stdout)
    check(doc["event"]["enabled"] is False, doc)
    # A local event is never written: the SP's state stays.
    doc = json.loads(run("--json", "events", "disable", "0", "42", expect=0).stdout)
    check(doc["result"] == 0 and doc["event"]["enabled"] is True, doc)
    done = run("events", "enable", "0", "43", expect=1)
    check("ERR_INVALID_INDEX" in done.stdout or "7" in done.stdout, done.stdout)
    run("events", "enable", "5", "0", expect=2)
    text = run("events", "--node", "1", expect=0).stdout
    check("Local SP Unavailable" in text and "Instance" in text, text)


def case_health():
    path = scenario_file(json.dumps({"nodes": [{"alerts": {"activeCodes": ["0x0421C702", 113]}},
                                               {"alerts": {"activeCodes": [107, 113]}}]}))
    doc = json.loads(run("--scenario", path, "--json", "health", expect=0).stdout)
    node0, node1 = doc["nodes"]
    check(node0["value"] == 1 and node0["health"] == "code 113 active", node0)
    check(node0["activeCodes"][0] == {"code": "0x0421C702", "meaning": "processor 2 hot", "value": 0x0421C702}, node0)
    check(node1["value"] == 2 and len(node1["activeCodes"]) == 2, node1)
    doc = json.loads(run("--json", "health", "--node", "1", expect=0).stdout)
    check(doc["nodes"] == [{"node": 1, "health": "normal", "value": 0, "result": 0, "activeCodes": []}], doc)
    path = scenario_file(json.dumps({"nodes": [{}], "faults": {"rules": [{"fault": "status", "command": "2.7.4",
                                                                          "value": 3}]}}))
    run("--scenario", path, "health", expect=1)
    doc = json.loads(run("--json", "report", expect=0).stdout)
    check(doc["health"] == [{"node": 0, "health": "normal", "value": 0, "result": 0, "activeCodes": []},
                            {"node": 1, "health": "normal", "value": 0, "result": 0, "activeCodes": []}], doc["health"])


globals()["case_" + CASE.replace("-", "_")]()
print("PASS:", CASE)
