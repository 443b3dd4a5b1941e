#!/usr/bin/env python3
"""End-to-end checks of yatctl: runs the program (which loads libyat.so beside it) over the default
scenario or a small scenario file and checks exit status, output and messages.

Usage: check_yatctl.py YATCTL CASE
With YATCTL_SPD set to yat-spd's path, the checks run yatctl against that daemon over a Unix socket
(--comm unix:...) instead of its embedded simulator, except where a case gives its own scenario.
"""
import atexit
import json
import os
import re
import subprocess
import sys
import tempfile

YATCTL = sys.argv[1]
CASE = sys.argv[2]
WORK = tempfile.mkdtemp(prefix="yatctl-test-")
COMM = []
if os.environ.get("YATCTL_SPD"):
    _socket = os.path.join(WORK, "spd.sock")
    _spd = subprocess.Popen([os.environ["YATCTL_SPD"], "--listen", "unix:" + _socket], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    _spd.stdout.readline()  # listening
    atexit.register(lambda: (_spd.terminate(), _spd.wait(timeout=30)))
    COMM = ["--comm", "unix:" + _socket]


def run(*args, expect):
    """Runs yatctl with args (and a log folder of its own); checks the exit status."""
    comm = [] if "--scenario" in args else COMM
    command = [YATCTL, "--log-dir", WORK, *comm, *args]
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
    check(doc["spType"] == {"result": 0, "type": 7, "name": "Garnet"}, doc["spType"])
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
    for text in ("Node count  2", "SP type     Garnet (7)", "YB10KQ41C7A2", "YKET42A", "9A72C3D5E8114B6FA0D2C4B7E1F38A56"):
        check(text in out, f"report lacks {text!r}:\n{out}")
    check(len(out.splitlines()) <= 80, "report longer than one tall screen")
    check("LED panel" in out, f"report lacks the LED panel:\n{out}")


def case_report_json():
    doc = json.loads(run("report", "--json", expect=0).stdout)
    check(doc["spType"] == 7 and doc["spTypeName"] == "Garnet" and doc["nodeCount"] == 2, doc)
    check(len(doc["system"]) == 2 and len(doc["firmware"]) == 8, doc)
    check(doc["ledPanel"] == [{"node": 0, "leds": 4, "lit": 1, "locator": 0, "locatorName": "off"},
                              {"node": 1, "leds": 4, "lit": 1, "locator": 1, "locatorName": "on"}], doc["ledPanel"])
    check(all(row["attention"] == [] for row in doc["sensors"]), doc["sensors"])
    check([row["serialNumber"] for row in doc["vpd"] if row["node"] == 1][0] == "YB10KQ41C7B9", doc["vpd"])
    check([row["entries"] for row in doc["eventLog"]] == [30, 8], doc["eventLog"])
    check(doc["network"][0]["smtp"] == "mail.dc1.example.net" and "10.10.14.77" in doc["network"][0]["interfaces"],
          doc["network"])


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
    usage("frobnicate", needle="unknown subcommand 'frobnicate'; subcommands: info, ")
    usage(needle="no subcommand; subcommands: info, ")
    usage("--scenario", "/dev/zero", "info", needle="/dev/zero: is not a regular file")
    fifo = os.path.join(WORK, "fifo.json")
    os.mkfifo(fifo)  # a FIFO without a writer would block an ordinary open for ever
    usage("--scenario", fifo, "info", needle="fifo.json: is not a regular file")
    usage("--scenario", WORK, "info", needle="is a folder")
    usage("--scenario", scenario_file("[" * 100000), "info", needle="nested deeper than 64 levels")
    binary = os.path.join(WORK, "binary.json")
    with open(binary, "wb") as handle:
        handle.write(b"\x1b[2J\xff\xfe\x00{")
    done = run("--scenario", binary, "info", expect=2)
    check(done.stderr.isascii() and done.stderr.rstrip("\n").isprintable(), f"raw bytes on stderr: {done.stderr!r}")
    usage("vpd", "--instance", "2", needle="--instance needs --kind")
    # Ranges are checked before anything is sent, and the message names the valid range.
    usage("ports", "set", "7", "80", needle="not in range 1 to 6")
    usage("ports", "set", "2", "70000", needle="not in range 1 to 65535")
    usage("network", "set", "--interface", "9", "--dhcp", "on", needle="not in range 1 to 8")
    usage("sel", "--tail", "0", needle="--tail")
    check(run("raw", "--help", expect=0).stdout.splitlines()[1].startswith("Usage: yatctl raw "), "program path")
    version = run("--version", expect=0).stdout
    check(version.startswith("yatctl ") and "SONAME libyat.so." in version and "comm device" in version, version)
    check(run("--help", expect=0).stdout.startswith("yatctl"), "no help")
    check("--data" in run("raw", "--help", expect=0).stdout, "no raw help")


def node_values(doc, key="node"):
    """Every value of a member named key anywhere in doc."""
    if isinstance(doc, dict):
        return [v for k, v in doc.items() if k == key] + [x for v in doc.values() for x in node_values(v, key)]
    if isinstance(doc, list):
        return [x for v in doc for x in node_values(v, key)]
    return []


def case_node_numbering():
    """Every subcommand numbers nodes as --node does: asked for node 1, every "node" in its JSON is 1,
    and the library's sensor-key numbering shows only as sensorKeyNode = node + 1."""
    help_text = run("--help", expect=0).stdout
    names = [line.split()[0] for line in help_text.split("Subcommands:")[1].splitlines() if line.strip()]
    walked = 0
    for name in names:
        if name in ("monitor", "raw", "exporter") or "--node" not in run(name, "--help", expect=0).stdout:
            continue
        extra = ("--state-dir", os.path.join(WORK, "state")) if name == "sensors" else ()
        doc = json.loads(run("--json", name, "--node", "1", *extra, expect=0).stdout)
        nodes = node_values(doc)
        check(nodes and set(nodes) == {1}, f"{name}: nodes {set(nodes)}")
        check(set(node_values(doc, "sensorKeyNode")) <= {2}, f"{name}: {set(node_values(doc, 'sensorKeyNode'))}")
        walked += 1
    check(walked >= 15, f"only {walked} subcommands take --node")
    doc = json.loads(run("--json", "report", expect=0).stdout)
    check(set(node_values(doc)) == {0, 1}, set(node_values(doc)))


def case_man_page():
    """The manual page the build wrote holds every subcommand and every option of the program, and the
    sections the options do not carry; groff finds nothing to warn about."""
    import shutil
    page_path = os.path.join(os.path.dirname(YATCTL), "yatctl.1")
    page = open(page_path, encoding="utf-8").read()
    text = page.replace("\\-", "-")
    for section in ("NAME", "SYNOPSIS", "OPTIONS", "SUBCOMMANDS", "NODE NUMBERING", "EXIT STATUS", "ENVIRONMENT",
                    "FILES"):
        check(f".SH {section}\n" in text, f"no {section} section")
    for word in ("YAT_STDOUT", "registry-data.reg", "sensorKeyNode"):
        check(word in text, f"the page lacks {word}")

    def options(help_text):
        return set(re.findall(r"(?<![\w-])(--[a-z][a-z0-9-]*)", help_text.split("Subcommands:")[0]))

    def subcommands(help_text):
        if "Subcommands:" not in help_text:
            return []
        return [line.split()[0] for line in help_text.split("Subcommands:")[1].splitlines() if line.strip()]

    def walk(path):
        help_text = run(*path, "--help", expect=0).stdout
        for option in options(help_text):
            check(option in text, f"{' '.join(path) or 'yatctl'}: {option} not in the page")
        for name in subcommands(help_text):
            check(f".SS {' '.join(path + [name])}\n" in text, f"subcommand {' '.join(path + [name])} not in the page")
            walk(path + [name])

    walk([])
    if shutil.which("groff"):
        done = subprocess.run(["groff", "-man", "-ww", "-z", page_path], capture_output=True, text=True)
        check(done.returncode == 0 and done.stderr == "", done.stderr)


def case_monitor_json():
    # The demo timeline at YAT_SLEEP_SCALE 0.001 plays in about 45 ms; --for is not scaled.
    out = run("--json", "monitor", "--demo", "--for", "1.5", expect=0).stdout
    lines = [json.loads(line) for line in out.splitlines()]
    check(all(isinstance(line, dict) for line in lines) and len(lines) > 48, out[:2000])
    events = [(l["node"], l["class"], l.get("sensor"), l["event"]) for l in lines if "event" in l]
    for expected in ((0, "fan", 3, "low"), (1, "power", 2, "failed"), (0, "node", 3, "DASD alert"),
                     (1, "node", 0, "PFA alert")):
        check(expected in events, f"no {expected} in {events[-40:]}")
    check(lines[-1].get("note") == "deregistered", lines[-1])
    check(all(l["sensorKeyNode"] == l["node"] + 1 for l in lines if "sensorKeyNode" in l), "node numbering")
    fan = [l for l in lines if l.get("event") == "low"][0]
    check(fan["reading"] == 0 and fan["lowerCritical"] == 550 and fan["unit"] == "RPM" and fan["name"] == "Fan 3" and
          "upperCritical" not in fan, fan)
    # --changes-only: a sensor again only when its status or value bucket moved; --node and --class filter.
    out = run("--json", "monitor", "--demo", "--for", "1.5", "--changes-only", "--node", "1", "--class", "power",
              expect=0).stdout
    reports = [line for line in map(json.loads, out.splitlines()) if "event" in line]
    # Each supply's reports change from one to the next; supply 2 fails and comes back (the first
    # polling round may come before or after the failure).
    for sensor in (1, 2):
        seen = [r["event"] for r in reports if r["sensor"] == sensor and r["event"] != "discovered"]
        check(seen and all(a != b for a, b in zip(seen, seen[1:])), (sensor, seen))
    supply2 = [r["event"] for r in reports if r["sensor"] == 2 and r["event"] != "discovered"]
    check("failed" in supply2 and supply2[-1] == "good", supply2)
    check(all(r["node"] == 1 and r["class"] == "power" for r in reports), reports)

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
    for expected in ((0, "fan", 3, "low"), (1, "power", 2, "failed"), (0, "node", 3, "DASD alert"),
                     (0, "node", 1, "processor hot"), (0, "node", 1, "processor normal")):
        check(expected in events, f"no {expected} in {events}")
    pfa = [l for l in lines if l.get("class") == "memory"]
    check(len(pfa) == 1 and (pfa[0]["node"], pfa[0]["memoryCard"], pfa[0]["dimm"]) == (1, 2, 5), pfa)


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
    state = os.path.join(WORK, "state")
    out = run("sensors", "--state-dir", state, expect=0).stdout
    lines = out.splitlines()
    check(re.split(r"\s{2,}", lines[0]) == ["Node", "Name", "Reading", "Status", "Lower critical", "Lower warning",
                                           "Upper warning", "Upper critical"], out)
    check(len(lines) == 49 and sum(1 for line in lines if line.split()[0] in ("0", "1")) == 48, out)
    check("fan reading failed" not in out, "the library's progress lines reached the output")
    cpu = [line for line in lines if line.startswith("0") and "CPU 1 temperature" in line][0]
    # A temperature's two limits are upper ones: warning 80, critical 85; it has no lower ones.
    check(cpu.split()[4:] == ["44", "°C", "normal", "80", "°C", "85", "°C"], cpu)
    check(cpu.index("80 °C") == lines[0].index("Upper warning"), f"columns not aligned:\n{lines[0]}\n{cpu}")
    fan = [line for line in lines if line.startswith("1") and "Fan 6" in line][0]
    check(fan.split()[3:] == ["3800", "RPM", "normal", "550", "RPM"], fan)
    check([line.split()[-1] for line in lines if "Power supply" in line] == ["good"] * 4, out)
    # Filters, CSV without the header, and --check on the nominal default scenario.
    done = run("sensors", "--state-dir", state, "--node", "1", "--class", "voltage", "--csv", "--no-header", expect=0)
    rows = [row.split(",") for row in done.stdout.splitlines()]
    check(len(rows) == 10 and rows[3] == ["1", "Voltage 4", "-11.94 V", "normal", "-12.60 V", "", "", "-11.40 V"],
          rows)
    first = run("sensors", "--state-dir", state, "--check", expect=0).stdout.splitlines()[0]
    check(first == "SENSORS OK: 48 sensors nominal", first)
    run("sensors", "--class", "humidity", expect=2)


def degraded_scenario(silent_node):
    """The default server with node 0's fan 3 stopped and its supply 2 failed, and with silent_node
    a third node whose SP answers nothing."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../sim/default_scenario.json")) as handle:
        scenario = json.load(handle)
    scenario.pop("demoTimeline", None)
    node0 = scenario["nodes"][0]
    node0["sensors"]["fans"][2]["rpm"] = 0
    node0["sensors"]["powerSupplies"][1]["failed"] = True
    scenario["nodes"][1]["sensors"]["powerSupplies"] = [{"present": True}, {"present": True}]
    if silent_node:
        scenario["nodes"].append({"inherit": 1})
        scenario["faults"] = {"rules": [{"fault": "transport", "node": 2}]}
    return scenario_file(json.dumps(scenario))


def case_sensors_degraded():
    """A dead fan and a failed supply are critical in sensors --check (exit 2), health and report; a
    silent node too. The fans are known from an earlier run, as a host keeps them."""
    state = os.path.join(WORK, "state")
    run("sensors", "--state-dir", state, expect=0)
    path = degraded_scenario(silent_node=False)
    done = run("--scenario", path, "sensors", "--state-dir", state, "--check", expect=2)
    check(done.stdout.splitlines()[0] == "SENSORS CRITICAL: node 0: Fan 3 low, node 0: Power supply 2 failed",
          done.stdout)
    doc = json.loads(run("--scenario", path, "--json", "sensors", "--state-dir", state, "--check", "--node", "0",
                         "--class", "fan", expect=2).stdout)
    fan = [row for row in doc["sensors"] if row["name"] == "Fan 3"][0]
    check(fan["reading"] == 0 and fan["statusText"] == "low" and fan["severity"] == 2 and
          fan["lowerCritical"] == 550 and fan["upperCritical"] is None, fan)
    check(doc["check"] == {"exitStatus": 2, "attention": ["node 0: Fan 3 low"]}, doc["check"])
    run("--scenario", path, "sensors", "--state-dir", state, "--check", "--node", "1", expect=0)
    health = json.loads(run("--scenario", path, "--json", "health", expect=0).stdout)["nodes"]
    check(health[0]["health"] == "attention" and "Power supply 2 failed" in health[0]["attention"], health)
    check(health[1]["health"] == "normal" and health[1]["attention"] == [], health)
    report = run("--scenario", path, "report", expect=0).stdout
    check("attention" in report and "Power supply 2 failed" in report, report)
    # A third node that answers nothing.
    path = degraded_scenario(silent_node=True)
    done = run("--scenario", path, "sensors", "--state-dir", state, "--check", expect=2)
    check("node 2: no sensors answered" in done.stdout.splitlines()[0], done.stdout)
    health = json.loads(run("--scenario", path, "--json", "health", expect=1).stdout)["nodes"]
    check(health[2]["health"] == "attention" and "no sensors answered" in health[2]["attention"], health)
    # Discovery stops at the silent node: every node's sensors may be incomplete, and each says so.
    check(all("sensor discovery failed (result 1)" in node["attention"] for node in health), health)


def case_sensors_json():
    doc = json.loads(run("sensors", "--json", "--state-dir", os.path.join(WORK, "state"), expect=0).stdout)
    rows = doc["sensors"]
    check(doc["result"] == 0 and len(rows) == 48, doc)
    by = {(r["node"], r["class"], r["sensor"]): r for r in rows}
    check(by[(0, "temperature", 3)] == {"node": 0, "sensorKeyNode": 1, "name": "CPU 1 temperature",
                                        "class": "temperature", "classCode": 1, "sensor": 3, "type": 1,
                                        "location": 2, "instance": 1, "reading": 44, "unit": "°C", "status": 1,
                                        "statusText": "normal", "severity": 0, "lowerCritical": None,
                                        "lowerWarning": None, "upperWarning": 80, "upperCritical": 85, "result": 0},
          by[(0, "temperature", 3)])
    volt = by[(1, "voltage", 4)]
    check(volt["reading"] == -11.94 and volt["lowerCritical"] == -12.6 and volt["upperCritical"] == -11.4 and
          volt["unit"] == "V" and volt["type"] == 6, volt)
    check(by[(1, "fan", 6)]["reading"] == 3800 and by[(1, "fan", 6)]["name"] == "Fan 6", by[(1, "fan", 6)])
    supply = by[(0, "power", 2)]
    check(supply["name"] == "Power supply 2" and supply["type"] == 37 and supply["statusText"] == "good" and
          supply["reading"] is None, supply)


def case_sensors_unreadable_fan():
    # The library's progress line for an unreadable fan never reaches yatctl's output unless asked.
    path = scenario_file(json.dumps({"nodes": [{"sensors": {"fans": [{"instance": 1, "unavailable": True}]}}]}))
    state = os.path.join(WORK, "state")
    run("sensors", "--state-dir", state, expect=0)  # the fans become known to the host
    done = run("--scenario", path, "sensors", "--json", "--state-dir", state, expect=0)
    doc = json.loads(done.stdout)
    check(any(r["class"] == "fan" and r["status"] == 3 for r in doc["sensors"]), doc)
    check("fan reading failed" not in done.stdout + done.stderr, done.stdout)
    done = run("--scenario", path, "--verbose", "sensors", "--state-dir", state, expect=0)
    check("fan reading failed for sensor [1]" in done.stdout, done.stdout)
    env = dict(os.environ, YAT_STDOUT="log")
    done = subprocess.run([YATCTL, "--log-dir", WORK, "--scenario", path, "--verbose", "sensors", "--state-dir", state],
                          capture_output=True, text=True, timeout=60, env=env)
    check(done.returncode == 0 and "fan reading failed" not in done.stdout, done.stdout)
    log = open(os.path.join(WORK, "libyat.log"), encoding="utf-8").read()
    check("stdout\tfan reading failed for sensor [1]" in log, "the progress line is not in libyat.log")


def case_dir_hints():
    blocker = os.path.join(WORK, "a-file")
    open(blocker, "w").close()
    for folder, words in ((os.path.join(WORK, "missing"), "no such folder"), (blocker, "not a folder")):
        done = subprocess.run([YATCTL, "--log-dir", folder, "info"], capture_output=True, text=True, timeout=60)
        check(done.returncode == 0, done.stderr)
        check(done.stderr.count("--log-dir") == 1 and words in done.stderr, done.stderr)
    done = run("sensors", "--json", "--state-dir", blocker, expect=0)
    check("registryError" in json.loads(done.stdout), done.stdout)
    check(done.stderr.count("--state-dir") == 1, done.stderr)
    check(run("info", expect=0).stderr == "", "a hint for a good --log-dir")


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


def case_sensors_state_file_safety():
    """registry-data.reg that is a link or a FIFO is neither followed nor waited on: the run goes on
    with the texts in memory and says so once."""
    state = os.path.join(WORK, "hostile-state")
    os.makedirs(state)
    registry = os.path.join(state, "registry-data.reg")
    victim = os.path.join(WORK, "victim.txt")
    with open(victim, "w") as handle:
        handle.write("not yours\n")
    os.symlink(victim, registry)
    done = run("sensors", "--json", "--state-dir", state, expect=0)
    check(open(victim).read() == "not yours\n", "appended through the link")
    check(done.stderr.count("--state-dir") == 1 and "not a regular file" in done.stderr, done.stderr)
    os.remove(registry)
    os.mkfifo(registry)
    done = run("sensors", "--json", "--state-dir", state, expect=0)
    check(done.stderr.count("--state-dir") == 1 and "not a regular file" in done.stderr, done.stderr)
    check(len(json.loads(done.stdout)["sensors"]) == 48, done.stdout[:300])


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
    doc = json.loads(run("--json", "health", "--node", "1", expect=0).stdout)
    check(doc["nodes"] == [{"node": 1, "health": "normal", "systemHealth": "normal", "value": 0, "result": 0,
                            "attention": []}], doc)
    path = scenario_file(json.dumps({"nodes": [{"alerts": {"activeCodes": [113]}},
                                               {"alerts": {"activeCodes": [107, 113]}}]}))
    doc = json.loads(run("--scenario", path, "--json", "health", expect=0).stdout)
    node0, node1 = doc["nodes"]
    check(node0["value"] == 1 and node0["systemHealth"] == "code 113 active" and node0["health"] == "attention", node0)
    check(node1["value"] == 2 and node1["systemHealth"] == "code 107 active", node1)
    path = scenario_file(json.dumps({"nodes": [{}], "faults": {"rules": [{"fault": "status", "command": "2.7.4",
                                                                          "value": 3}]}}))
    run("--scenario", path, "health", expect=1)
    doc = json.loads(run("--json", "report", expect=0).stdout)
    check([(row["node"], row["health"]) for row in doc["health"]] == [(0, "normal"), (1, "normal")], doc["health"])


def case_leds():
    out = run("leds", expect=0).stdout
    rows = [line.split() for line in out.splitlines() if line.split()[:1] in (["0"], ["1"])]
    check(len(rows) == 8, f"not 8 LED rows:\n{out}")
    check([row[4] for row in rows] == ["dark", "lit", "dark", "dark", "dark", "dark", "lit", "dark"], out)
    check("1 0x06 on" in out and "none" in out, out)
    check("getGlintInfo" not in out, "the library's progress lines reached the output")


def case_leds_json():
    doc = json.loads(run("leds", "--json", expect=0).stdout)
    check(doc["initResult"] == 0 and doc["result"] == 0 and len(doc["leds"]) == 8, doc)
    led = doc["leds"][1]
    check(led == {"node": 0, "location": 2, "type": 2, "index": 1, "state": "lit", "busType": 1,
                  "sensors": [{"index": 1, "location": 3, "mask": 6, "state": "on"}]}, led)
    # A panel behind an IPMI controller: one request per node, bytes after the completion code.
    sensor = [{"index": 1, "mask": 4}]
    panel = {"commands": [{"dotCommand": "d.2", "groups": [{"busType": "ipmi", "leds": [
        {"index": 0, "regaddr": 1, "lit": True, "sensors": sensor},
        {"index": 1, "regaddr": 2, "sensors": sensor}]}]}]}
    path = scenario_file(json.dumps({"nodes": [{"leds": panel}]}))
    doc = json.loads(run("--scenario", path, "leds", "--json", expect=0).stdout)
    check([led["state"] for led in doc["leds"]] == ["lit", "dark"] and doc["leds"][0]["busType"] == 3, doc)
    # A node without a panel: initGlint finds no LEDs.
    doc = json.loads(run("--scenario", scenario_file('{"nodes": [{}]}'), "leds", "--json", expect=1).stdout)
    check(doc["initResult"] == 9 and doc["result"] == 1 and doc["leds"] == [], doc)


def case_bluelight():
    doc = json.loads(run("bluelight", "--json", expect=0).stdout)
    check(doc["nodes"] == [{"node": 0, "result": 0, "state": 0, "stateName": "off"},
                           {"node": 1, "result": 0, "state": 1, "stateName": "on"}], doc)
    for value, byte, word in (("on", 1, "on"), ("off", 0, "off"), ("0x2a", 42, "byte 0x2A")):
        doc = json.loads(run("bluelight", "--node", "0", value, "--json", expect=0).stdout)
        check(doc["nodes"] == [{"node": 0, "setResult": 0, "result": 0, "state": byte, "stateName": word}], doc)
    check("expected on, off or a byte" in run("bluelight", "256", expect=2).stderr, "no usage error")
    path = scenario_file(json.dumps({"nodes": [{}], "faults": {"rules": [{"fault": "status", "command": "d.7"}]}}))
    doc = json.loads(run("--scenario", path, "bluelight", "--json", expect=1).stdout)
    check(doc["nodes"] == [{"node": 0, "result": 1, "state": None}], doc)
def case_sel():
    doc = json.loads(run("sel", "--json", "--node", "0", expect=0).stdout)
    node = doc["nodes"][0]
    check(node["result"] == 0 and node["count"] == 30 and len(node["entries"]) == 30, node)
    first, last = node["entries"][0], node["entries"][-1]
    check(first["record"] == 1 and first["time"] == "1999-11-02T08:14:03Z", first)
    check(last["record"] == 30 and last["time"] == "2008-04-02T13:46:27Z" and last["label"] == "SYSTEM", last)
    out = run("sel", "--node", "1", expect=0).stdout
    check("1999-12-31T23:59:59Z" in out and "2000-01-01T00:00:00Z" in out, out)
    check(out.index("1999-12-31") < out.index("2008-03-14"), f"not newest last:\n{out}")
    doc = json.loads(run("sel", "--json", "--node", "1", "--tail", "2", expect=0).stdout)
    check([e["record"] for e in doc["nodes"][0]["entries"]] == [7, 8] and doc["nodes"][0]["count"] == 8, doc)
    env = dict(os.environ, TZ="UTC-2")  # two hours east of UTC
    done = subprocess.run([YATCTL, "--log-dir", WORK, "sel", "--node", "1", "--tail", "1", "--local"],
                          capture_output=True, text=True, timeout=60, env=env)
    check("2008-03-14T09:10:02+02:00" in done.stdout, done.stdout)
    info = json.loads(run("sel", "--json", "info", expect=0).stdout)["nodes"]
    check(info[1] == {"node": 1, "entries": 8, "oldest": "1998-08-21T09:30:00Z", "newest": "2008-03-14T07:10:02Z"},
          info)
    done = run("sel", "--erase", expect=2)
    check("--yes" in done.stderr and done.stdout == "", done.stderr)
    doc = json.loads(run("sel", "--erase", "--yes", "--node", "1", "--json", expect=0).stdout)
    check(doc["nodes"][0]["eraseResult"] == 0 and doc["nodes"][0]["count"] == 0, doc)


def case_network():
    doc = json.loads(run("network", "--json", expect=0).stdout)
    node0 = {row["interface"]: row for row in doc["nodes"][0]["interfaces"]}
    check(node0[2] == {"interface": 2, "result": 0, "dhcp": "on", "address": "10.10.14.77", "mask": "255.255.240.0",
                       "gateway": "10.10.0.254", "text": "sp-node0-mgmt"}, node0[2])
    node1 = {row["interface"]: row for row in doc["nodes"][1]["interfaces"]}
    check(node1[1]["dhcp"] == "on" and node1[1]["address"] == "192.168.70.126", node1[1])  # no lease: static
    done = run("network", "set", "--interface", "1", "--address", "10.0.0.9", "--gateway", "10.0.0.1", "--json",
               expect=0)
    now = json.loads(done.stdout)["now"]
    check(now["address"] == "10.0.0.9" and now["gateway"] == "10.0.0.1" and now["mask"] == "255.255.255.0", now)
    check("sourcetype" not in done.stdout, "the library's progress line reached the output")
    doc = json.loads(run("network", "set", "--interface", "1", "--address", "10.0.0", "--mask", "255.0.0.0",
                         "--json", expect=1).stdout)
    check(doc["addressResult"] == 12 and doc["now"]["mask"] == "255.255.255.0", doc)  # nothing half-written
    doc = json.loads(run("network", "set", "--interface", "1", "--dhcp", "on", "--json", expect=0).stdout)
    check(doc["now"]["dhcp"] == "on", doc)
    run("network", "set", "--interface", "1", expect=2)


def case_ports_smtp():
    doc = json.loads(run("ports", "--json", "--node", "1", expect=0).stdout)
    check({r["number"]: r["port"] for r in doc["nodes"][0]["ports"]} == {1: 80, 2: 443, 3: 23, 4: 22, 5: 161, 6: 162},
          doc)
    check([r["name"] for r in doc["nodes"][0]["ports"]] == ["HTTP", "HTTPS", "Telnet", "SSH", "SNMP agent",
                                                             "SNMP traps"], doc)
    done = run("ports", "set", "2", "8443", "--json", expect=0)
    check(json.loads(done.stdout) == {"node": 0, "number": 2, "name": "HTTPS", "result": 0, "port": 8443}, done.stdout)
    doc = json.loads(run("smtp", "--json", expect=0).stdout)
    check(doc["nodes"][0] == {"node": 0, "result": 0, "server": "mail.dc1.example.net", "maxLength": 63,
                              "enabled": True}, doc)
    doc = json.loads(run("smtp", "set", "relay.example.org", "--node", "1", "--json", expect=0).stdout)
    check(doc["result"] == 0 and doc["now"]["server"] == "relay.example.org", doc)
    doc = json.loads(run("smtp", "set", "s" * 64, "--json", expect=1).stdout)
    check(doc["result"] == 12 and doc["now"]["server"] == "mail.dc1.example.net", doc)
def run_input(*args, stdin, expect):
    """Runs yatctl with standard input; checks the exit status and that stdin never shows."""
    command = [YATCTL, "--log-dir", WORK, *args]
    done = subprocess.run(command, input=stdin, capture_output=True, text=True, timeout=60)
    if done.returncode != expect:
        fail(f"{' '.join(args)}: exit {done.returncode}, expected {expect}\nstdout:\n{done.stdout}\nstderr:\n{done.stderr}")
    return done


def case_config_json():
    snmp = json.loads(run("snmp", "--json", "--node", "1", expect=0).stdout)["nodes"][0]
    check(snmp["agent"] == {"result": 0, "v1Enabled": True, "thirdSwitch": False, "trapsEnabled": True,
                            "textA": "Rack 14, row C, data hall 2", "textB": "dc2-r14-node1"}, snmp["agent"])
    check(snmp["communities"][0]["address3"] == "nms.dc2.example" and snmp["communities"][2]["access"] == 1,
          snmp["communities"])
    alerts = json.loads(run("alerts", "--json", "--node", "0", expect=0).stdout)["nodes"][0]
    check(alerts["remoteAlerts"]["result"] == 0 or alerts["remoteAlerts"].get("available") is False,
          alerts["remoteAlerts"])
    rows = alerts["recipients"]
    check(len(rows) == 12 and [r["type"] for r in rows] == [2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 5, 1], rows)
    check(rows[6]["host"] == "relay1.dc2.example" and rows[6]["destination"] == "" and rows[6]["userId"] == "sprelay",
          rows[6])
    check(rows[5]["selectiveAlerts"] is True and rows[4]["enabled"] is False, rows)
    check(rows[6]["typeName"] == "connection type 6" and rows[9]["typeName"] == "unused", rows)
    accounts = json.loads(run("accounts", "--json", "--node", "0", expect=0).stdout)["nodes"][0]["accounts"]
    check([a["status"] for a in accounts].count("in use") == 6, accounts)
    check(accounts[2] == {"account": 2, "result": 0, "status": "in use", "userId": "backup", "authority": "Custom",
                          "bitmap": "0x0000000d"}, accounts[2])
    policy = json.loads(run("password-policy", "--json", expect=0).stdout)["nodes"]
    check(policy[1] == {"node": 1, "result": 0, "forceChange": True, "ageLimitDays": 90, "reusePeriod": 5,
                        "passwordRequired": True}, policy)
    login = json.loads(run("login-policy", "--json", "--node", "1", expect=0).stdout)["nodes"]
    check(login == [{"node": 1, "result": 0, "value": 3}], login)


def case_config_set():
    secret = "Zq8secretPw"
    done = run_input("accounts", "set", "6", "--user", "gina", "--authority", "admin", "--password-stdin", "--json",
                     stdin=secret + "\n", expect=0)
    doc = json.loads(done.stdout)
    check(doc["result"] == 0 and doc["settings"]["userId"] == "gina" and doc["settings"]["authority"] == "Administrator",
          doc)
    done2 = run_input("alerts", "set", "9", "--type", "4", "--description", "Dial pager", "--destination", "5550199",
                      "--user", "pager", "--password-stdin", "--json", stdin="Al3rtPass\n", expect=0)
    check(json.loads(done2.stdout)["settings"]["userId"] == "pager", done2.stdout)
    done3 = run_input("snmp", "community", "1", "--name-stdin", "--access", "2", "--json", stdin="C0mmun1ty\n", expect=0)
    community = json.loads(done3.stdout)
    check(community["result"] == 0 and community["settings"]["nameLength"] == 9, done3.stdout)
    # Refusals: exit 1 with the library's result.
    doc = json.loads(run("password-policy", "set", "--age-limit", "400", "--reuse-period", "6", "--json", expect=1).stdout)
    check(doc["items"] == [{"item": "ageLimitDays", "result": 12}, {"item": "reusePeriod", "result": 0}], doc)
    check(doc["policy"]["ageLimitDays"] == 90 and doc["policy"]["reusePeriod"] == 6, doc["policy"])
    doc = json.loads(run("login-policy", "set", "99", "--json", expect=1).stdout)
    check(doc["result"] == 1 and doc["setting"]["value"] == 3, doc)
    doc = json.loads(run("snmp", "set", "--text-a", "a" * 48, "--json", expect=1).stdout)
    check(doc["result"] == 12, doc)
    doc = json.loads(run("alerts", "set", "0", "--type", "1", "--json", expect=0).stdout)
    check(doc["settings"]["type"] == 1 and doc["settings"]["description"] == "", doc)
    doc = json.loads(run("snmp", "set", "--traps", "off", "--text-b", "renamed", "--json", expect=0).stdout)
    check(doc["agent"]["trapsEnabled"] is False and doc["agent"]["textB"] == "renamed", doc)


def case_secrets_never_shown():
    """Every subcommand that takes a secret on standard input, in tables and in JSON: the secret is in
    neither output stream nor in libyat.log."""
    commands = (("accounts", "set", "6", "--user", "gina", "--authority", "admin", "--password-stdin"),
                ("alerts", "set", "9", "--type", "4", "--user", "pager", "--password-stdin"),
                ("alerts", "set", "6", "--type", "8", "--host", "relay", "--user", "r9", "--password-stdin"),
                ("snmp", "community", "1", "--name-stdin", "--access", "2"),
                ("snmp", "community", "0", "--name-stdin"))
    for number, args in enumerate(commands):
        for output in ((), ("--json",)):
            secret = f"Zq{number}{len(output)}s3cr3t"
            done = run_input(*args, *output, stdin=secret + "\n", expect=0)
            log = open(os.path.join(WORK, "libyat.log"), encoding="utf-8", errors="replace").read()
            for where, content in (("stdout", done.stdout), ("stderr", done.stderr), ("libyat.log", log)):
                check(secret not in content, f"{' '.join(args)} {' '.join(output)}: the secret is in {where}")
    listing = run("snmp", "--json", expect=0).stdout
    names = [row["name"] for node in json.loads(listing)["nodes"] for row in node["communities"]]
    check(set(names) <= {"(set)", "(none)"}, names)


def case_secret_input_bounds():
    """A secret longer than its field, an endless standard input and a NUL byte are refused at once."""
    for stdin, needle in ((b"x" * 16 + b"\n", "longer than 15 characters"), (b"y" * 1000000, "longer than 15 characters"),
                          (b"ab\0cd\n", "NUL byte"), (b"", "nothing on standard input")):
        for args in (("accounts", "set", "1", "--password-stdin"), ("alerts", "set", "9", "--password-stdin"),
                     ("snmp", "community", "1", "--name-stdin")):
            done = subprocess.run([YATCTL, "--log-dir", WORK, *args], input=stdin, capture_output=True, timeout=60)
            check(done.returncode == 2 and needle in done.stderr.decode(), f"{args} {stdin[:20]!r}: {done}")
            check(done.stdout == b"", done.stdout)
    with open("/dev/zero", "rb") as endless:
        done = subprocess.run([YATCTL, "--log-dir", WORK, "accounts", "set", "1", "--password-stdin"], stdin=endless,
                              capture_output=True, timeout=30)
    check(done.returncode == 2, done)


def case_config_usage():
    for args, needle in ((("accounts", "set", "12", "--user", "x"), "expected 0 to 11"),
                         (("accounts", "set", "1"), "nothing to change"),
                         (("accounts", "set", "1", "--authority", "custom"), "--authority custom needs --bitmap"),
                         (("alerts", "set", "12", "--type", "2"), "expected 0 to 11"),
                         (("snmp", "set", "--traps", "maybe"), "expected on or off"),
                         (("monitor", "--for", "0"), "--for"), (("monitor", "--for", "-0"), "--for"),
                         (("monitor", "--for", "nan"), "--for"), (("monitor", "--for", "inf"), "--for"),
                         (("exporter", "--refresh-interval", "nan"), "--refresh-interval"),
                         (("exporter", "--refresh-interval", "-inf"), "--refresh-interval"),
                         (("exporter", "--sel-interval", "0"), "--sel-interval"),
                         (("info", "--node", ""), "--node"), (("sensors", "--node", ""), "--node"),
                         (("raw", "4.3.6", "--node", ""), "--node"), (("accounts", "set", "", "--user", "x"), "account"),
                         (("accounts", "set", "1", "--node", "", "--user", "x"), "--node"),
                         (("snmp", "community", "1", "--access", "", "--node", "0"), "--access"),
                         (("accounts", "set", "1", "--node", "5", "--user", "x"), "--node 5")):
        done = run(*args, expect=2)
        check(needle in done.stderr and done.stdout == "", f"{args}: {done.stderr!r}")
    done = run_input("accounts", "set", "1", "--password-stdin", stdin="", expect=2)
    check("nothing on standard input" in done.stderr, done.stderr)


def start_exporter(*args, env=None, scenario=None, comm=None):
    """Starts yatctl exporter (over the scenario file or the --comm device, if given) on a free
    loopback port; returns the process and the metrics URL."""
    import re
    import time
    before = ["--scenario", scenario] if scenario else ["--comm", comm] if comm else []
    # The registry texts go to the test's folder unless the case says where.
    env = dict(os.environ if env is None else env, XDG_STATE_HOME=WORK)
    process = subprocess.Popen([YATCTL, "--log-dir", WORK, *before, "exporter", "--listen", "127.0.0.1:0", *args],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        line = process.stderr.readline()
        found = re.search(r"serving (http://\S+/metrics)", line)
        if found:
            return process, found.group(1)
        if not line and process.poll() is not None:
            break
    process.kill()
    fail("exporter did not start serving")


def scrape(url):
    import urllib.request
    with urllib.request.urlopen(url, timeout=10) as answer:
        return answer.read().decode()


def wait_for_scrape(url, condition, what):
    """Scrapes url until condition holds for the page (at most 30 s); returns that page."""
    import time
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        text = scrape(url)
        if condition(text):
            return text
        time.sleep(0.01)
    fail(f"never saw {what}:\n{text}")


def stop_exporter(process):
    import signal
    process.send_signal(signal.SIGTERM)
    out, _ = process.communicate(timeout=30)
    check(process.returncode == 0, f"exporter exit {process.returncode} after SIGTERM")
    check(out == "", f"exporter wrote on stdout: {out!r}")


def default_scenario():
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../sim/default_scenario.json")) as handle:
        return json.load(handle)


def metric_lines(text):
    return [line for line in text.splitlines() if line and not line.startswith("#")]


def case_exporter_serves_every_sensor():
    """Every sensor once, named by location and instance, nodes from 0, kinds as words, voltages at
    their resolution, limits as their own series, every counter from 0 for every node; the routine
    polling counts no event; the text passes promtool's lint but for the event log's _count."""
    import re
    import shutil
    import time
    process, url = start_exporter("--refresh-interval", "0.02")
    deadline = time.monotonic() + 30
    text = scrape(url)
    # Many rounds of the library's polling (every sensor reported each time) and of the refresh.
    while time.monotonic() < deadline and int(re.search(r"^yat_polling_rounds_total (\d+)", text, re.M).group(1)) < 50:
        time.sleep(0.05)
        text = scrape(url)
    stop_exporter(process)
    lines = metric_lines(text)
    sensors = [line for line in lines if line.split("{")[0] in (
        "yat_temperature_celsius", "yat_fan_speed_rpm", "yat_voltage_volts", "yat_power_supply_state")]
    check(len(sensors) == 48, f"{len(sensors)} sensor series, expected the 48 of the default scenario")
    names = [re.search(r'name="([^"]*)",node="(\d)"', line).groups() for line in sensors]
    check(len(set(names)) == len(names), f"a name twice on one node: {names}")
    for expected in ('yat_temperature_state{id="3",name="CPU 1 temperature",node="0",type="cpu"} 0',
                     'yat_temperature_celsius{id="1",name="Board temperature 1",node="1",type="board"} 24',
                     'yat_temperature_upper_critical_celsius{id="3",name="CPU 1 temperature",node="0",type="cpu"} 85',
                     'yat_temperature_upper_warning_celsius{id="3",name="CPU 1 temperature",node="0",type="cpu"} 80',
                     'yat_voltage_volts{id="1",name="Voltage 1",node="0",type="voltage"} 3.31',
                     'yat_voltage_lower_critical_volts{id="1",name="Voltage 1",node="0",type="voltage"} 3.14',
                     'yat_fan_speed_lower_critical_rpm{id="3",name="Fan 3",node="1",type="fan"} 550',
                     'yat_power_supply_state{id="1",name="Power supply 1",node="0",type="power_supply"} 0',
                     'yat_up{node="1"} 1', 'yat_chassis_power_state{node="1"} 1',
                     'yat_events_total{kind="fan",node="1"} 0', 'yat_pfa_events_total{node="1"} 0',
                     'yat_sp_command_failures_total{node="1",operation="system_state"} 0',
                     'yat_sp_command_failures_total{operation="discovery"} 0'):
        check(expected in lines, f"{expected} missing:\n{text}")
    check(all(len(line.split(" ")[-1]) <= 6 for line in lines if line.startswith("yat_voltage_volts")), text)
    check([line for line in lines if line.startswith("yat_events_total")] ==
          [line for line in lines if line.startswith("yat_events_total") and line.endswith(" 0")],
          f"the polling counted as events:\n{text}")
    check(any(line.startswith('yat_build_info{version="') and 'comm="sim",simulated="true"' in line
              for line in lines), text)
    check(any(line.startswith('yat_watchdog_timeout_seconds{node="1",timer="post"} 300') for line in lines), text)
    check(any(line.startswith("yat_bmc_info{") and 'serial="' in line for line in lines), text)
    check(any(line.startswith('yat_refresh_duration_seconds{collector="sensors"} ') for line in lines), text)
    if shutil.which("promtool"):
        done = subprocess.run(["promtool", "check", "metrics"], input=text, capture_output=True, text=True)
        # The one lint finding is the _count suffix of the event log family, whose name dashboards use.
        complaints = [line for line in (done.stdout + done.stderr).splitlines()
                      if line.strip() and "sel_entries_count" not in line]
        check(not complaints, complaints)
    # The other exporter's family names.
    process, url = start_exporter("--metric-prefix", "ipmi")
    text = scrape(url)
    stop_exporter(process)
    check(all(line.startswith("ipmi_") for line in metric_lines(text)), "a family without the ipmi_ prefix")
    check('ipmi_up{node="0"} 1' in text and "ipmi_temperature_upper_critical_celsius{" in text, text)


def case_exporter_dead_fan_at_start():
    """A fan seen turning at one run and standing still at the start of the next is shown as a dead fan
    (state 2, 0 RPM), because the registry texts kept in the state folder ($STATE_DIRECTORY, as the
    service unit sets it) say it exists; without them it is not shown until it turns again."""
    import time
    state = os.path.join(WORK, "state")
    fan3 = 'yat_fan_speed_{}{{id="3",name="Fan 3",node="0",type="fan"}}'
    environment = dict(os.environ, STATE_DIRECTORY=state)
    process, url = start_exporter(env=environment)
    check(fan3.format("state") + " 0" in scrape(url), "fan 3 not shown turning")
    stop_exporter(process)
    check(os.path.isfile(os.path.join(state, "registry-data.reg")), os.listdir(WORK))
    scenario = default_scenario()
    scenario["nodes"][0]["sensors"]["fans"][2]["rpm"] = 0
    dead = scenario_file(json.dumps(scenario))
    process, url = start_exporter(env=environment, scenario=dead)
    text = scrape(url)
    stop_exporter(process)
    check(fan3.format("state") + " 2" in text and fan3.format("rpm") + " 0" in text, f"fan 3 not dead:\n{text}")
    # Without the texts it is not shown, until it turns again (2 s after start).
    scale = float(os.environ.get("YAT_SLEEP_SCALE", "1"))
    scenario["timeline"] = [{"at": int(2000 / scale), "node": 0, "event": "change", "fan": 3, "rpm": 4000}]
    process, url = start_exporter("--state-dir", os.path.join(WORK, "empty"), "--refresh-interval", "0.05",
                                  scenario=scenario_file(json.dumps(scenario)))
    try:
        text = scrape(url)
        check(fan3.format("state") not in text and 'name="Fan 4",node="0"' in text, text)
        deadline = time.monotonic() + 30
        while fan3.format("rpm") + " 4000" not in text and time.monotonic() < deadline:
            time.sleep(0.05)
            text = scrape(url)
        check(fan3.format("state") + " 0" in text, f"fan 3 not back:\n{text}")
    finally:
        stop_exporter(process)


def case_exporter_stale_node():
    """Node 1's SP stops answering after start (a run of transport faults) and answers again: its
    sensor series leave the page and yat_up{node="1"} is 0 while node 0 stays; then they come back."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../sim/default_scenario.json")) as handle:
        scenario = json.load(handle)
    # Start (discovery and the first refresh) takes about 250 requests to node 1: the next 750 are
    # answered, the 3000 after them fail in transport (some seconds at 20 refreshes a second).
    scenario["faults"] = {"rules": [{"fault": "transport", "node": 1, "skip": 1000, "count": 3000}]}
    process, url = start_exporter("--refresh-interval", "0.05", "--sel-interval", "3600",
                                  scenario=scenario_file(json.dumps(scenario)))
    check_node_silent_then_back(process, url, silent_at_start=False)


def case_exporter_unreachable_at_start():
    """Node 1's SP answers nothing at start (its first 300 requests fail in transport), then answers:
    discovery and the event registration are retried until they succeed, and node 1's sensors appear
    without a restart."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../sim/default_scenario.json")) as handle:
        scenario = json.load(handle)
    scenario["faults"] = {"rules": [{"fault": "transport", "node": 1, "count": 300}]}
    process, url = start_exporter("--refresh-interval", "0.05", "--sel-interval", "3600",
                                  scenario=scenario_file(json.dumps(scenario)))
    check_node_silent_then_back(process, url, silent_at_start=True)


def check_node_silent_then_back(process, url, silent_at_start):
    """While node 1's SP is silent its temperatures are absent and yat_up{node="1"} is 0, node 0 is up;
    once it answers again its temperatures are back (all of them) and every collector is up."""
    def node_lines(text, node):
        return [line for line in text.splitlines()
                if line.startswith("yat_temperature_celsius{") and f'node="{node}"' in line]

    def wait_for(condition, what):
        return wait_for_scrape(url, condition, what)

    try:
        text = scrape(url)
        if silent_at_start:
            silent = text
        else:
            check(node_lines(text, 1) and 'yat_up{node="1"} 1' in text, f"node 1 not up at start:\n{text}")
            silent = wait_for(lambda t: not node_lines(t, 1), "node 1's temperatures dropped")
        check(not node_lines(silent, 1) and 'yat_up{node="1"} 0' in silent and 'yat_up{node="0"} 1' in silent, silent)
        check(node_lines(silent, 0) and 'yat_collector_up{collector="system"} 0' in silent, silent)
        back = wait_for(lambda t: node_lines(t, 1) and 'yat_up{node="1"} 1' in t and
                        'yat_collector_up{collector="monitoring"} 1' in t, "node 1 back")
        check(len(node_lines(back, 1)) == len(node_lines(back, 0)) > 0, back)
        back = wait_for(lambda t: all(f'yat_collector_up{{collector="{c}"}} 1' in t
                                      for c in ("sensors", "system", "monitoring")), "every collector up")
        check('yat_last_refresh_timestamp_seconds{node="1"} 0' not in back, back)
    finally:
        stop_exporter(process)


def case_comm_unreachable():
    """A daemon that is not there, or a --comm text that is not a device, is an error, never an empty
    success."""
    done = run("--comm", "unix:" + os.path.join(WORK, "nobody.sock"), "info", expect=1)
    check("no SP reachable through the SP server at unix:" in done.stderr and done.stdout == "", done.stderr)
    check("only 127.0.0.1" in run("--comm", "tcp:10.0.0.1:7000", "info", expect=2).stderr, "remote TCP accepted")
    check("expected sim" in run("--comm", "serial:/dev/ttyS0", "info", expect=2).stderr, "bad --comm accepted")


def case_exporter_daemon_restart():
    """The exporter over yat-spd: the daemon killed (SIGKILL), both nodes go down without a hang; the
    daemon restarted, both come back with monitoring, without restarting the exporter."""
    import signal
    spd_path = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(YATCTL))), "yat-spd")
    socket_path = os.path.join(WORK, "restart.sock")

    def start_spd():
        spd = subprocess.Popen([spd_path, "--listen", "unix:" + socket_path], stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL, text=True)
        spd.stdout.readline()
        return spd

    spd = start_spd()
    process, url = start_exporter("--refresh-interval", "0.05", "--sel-interval", "3600",
                                  comm=f"unix:{socket_path},timeout=500")
    try:
        wait_for_scrape(url, lambda t: 'yat_up{node="1"} 1' in t and 'simulated="false"' in t, "node 1 up")
        spd.send_signal(signal.SIGKILL)
        spd.wait()
        wait_for_scrape(url, lambda t: 'yat_up{node="0"} 0' in t and 'yat_up{node="1"} 0' in t, "both nodes down")
        spd = start_spd()
        wait_for_scrape(url, lambda t: 'yat_up{node="0"} 1' in t and 'yat_up{node="1"} 1' in t and
                        'yat_collector_up{collector="monitoring"} 1' in t, "both nodes back")
    finally:
        stop_exporter(process)
        spd.terminate()
        spd.wait(timeout=30)


def case_exporter_service_notifications():
    """Started by a service manager (NOTIFY_SOCKET, WATCHDOG_USEC), the exporter says it is ready only
    once it serves, feeds the watchdog from its refresh loop within half the interval however long
    --refresh-interval is, and says when a signal stops it."""
    import socket
    import time
    if os.environ.get("YATCTL_NOTIFIES") != "ON":
        print("yatctl was built without libsystemd")
        sys.exit(77)
    manager = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    manager.bind(os.path.join(WORK, "notify"))
    manager.settimeout(30)

    def next_message():
        return manager.recv(4096).decode()

    environment = dict(os.environ, NOTIFY_SOCKET=os.path.join(WORK, "notify"), WATCHDOG_USEC="400000")
    process, url = start_exporter("--refresh-interval", "3600", env=environment)
    first = next_message()
    check(first.splitlines() == ["READY=1", f"STATUS=serving {url}"], f"first notification {first!r}")
    check("yat_up" in scrape(url), "not serving when it said it was ready")
    started = time.monotonic()
    for _ in range(3):
        message = next_message()
        check(message == "WATCHDOG=1", f"expected WATCHDOG=1, got {message!r}")
    # Three rounds 0.2 s apart, not one an hour.
    check(time.monotonic() - started < 10, "the watchdog was fed too slowly")
    stop_exporter(process)
    message = next_message()  # the datagrams wait in the socket
    while message == "WATCHDOG=1":
        message = next_message()
    check(message.splitlines()[0] == "STOPPING=1", f"expected STOPPING=1, got {message!r}")


def case_exporter_usage():
    import socket
    for args, needle in ((("exporter", "--listen", "127.0.0.1"), "ADDRESS:PORT"),
                         (("exporter", "--listen", "127.0.0.1:70000"), "bad port"),
                         (("exporter", "--listen", "999.1.1.1:19488"), "not a numeric IPv4 address"),
                         (("exporter", "--listen", "localhost:19488"), "not a numeric IPv4 address"),
                         (("exporter", "--listen", "[::1:19488"), "not a numeric IPv4 address"),
                         (("exporter", "--metric-prefix", "9x"), "not a metric name")):
        done = run(*args, expect=2)
        check(needle in done.stderr and done.stdout == "", f"{args}: {done.stderr!r}")
    with socket.socket() as taken:
        taken.bind(("127.0.0.1", 0))
        taken.listen(1)
        port = taken.getsockname()[1]
        done = run("exporter", "--listen", f"127.0.0.1:{port}", expect=2)
        check("cannot listen on" in done.stderr, done.stderr)


def http(port, request, timeout=10):
    """Sends a raw request to 127.0.0.1:port and returns the whole answer (the server closes)."""
    import socket
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as connection:
        connection.sendall(request)
        answer = b""
        while True:
            piece = connection.recv(65536)
            if not piece:
                return answer
            answer += piece


def case_exporter_http():
    """HEAD answers like GET without the body; only /metrics itself is served; slow and idle
    connections held open do not stop scrapes from being answered."""
    import socket
    import urllib.parse
    process, url = start_exporter()
    port = urllib.parse.urlparse(url).port
    try:
        get = http(port, b"GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n")
        head = http(port, b"HEAD /metrics HTTP/1.1\r\nHost: x\r\n\r\n")
        check(get.startswith(b"HTTP/1.1 200 ") and head.startswith(b"HTTP/1.1 200 "), (get[:100], head[:100]))
        get_head, get_body = get.split(b"\r\n\r\n", 1)
        check(head.endswith(b"\r\n\r\n") and b"yat_up" not in head and b"yat_up" in get_body, head)
        length = [line for line in head.split(b"\r\n") if line.lower().startswith(b"content-length:")]
        check(len(length) == 1 and int(length[0].split(b":")[1]) > 1000, head)
        index = http(port, b"GET / HTTP/1.1\r\nHost: x\r\n\r\n")
        check(index.startswith(b"HTTP/1.1 200 ") and b'href="/metrics"' in index, index)
        for path in (b"/metricsX", b"/METRICS", b"//metrics", b"/../metrics", b"/metrics/", b"/index.html"):
            answer = http(port, b"GET " + path + b" HTTP/1.1\r\nHost: x\r\n\r\n")
            check(answer.startswith(b"HTTP/1.1 404 "), (path, answer[:60]))
        check(http(port, b"POST /metrics HTTP/1.1\r\nContent-Length: 0\r\n\r\n").startswith(b"HTTP/1.1 405 "), "POST")
        # Ten clients that never finish their request and ten that send nothing.
        held = []
        for n in range(20):
            slow = socket.create_connection(("127.0.0.1", port), timeout=10)
            if n % 2 == 0:
                slow.sendall(b"GET /metr")
            held.append(slow)
        for _ in range(100):
            check("yat_up" in scrape(url), "a scrape without the families")
        for slow in held:
            slow.close()
    finally:
        stop_exporter(process)


def free_port():
    import socket
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def case_exporter_prometheus():
    """A real Prometheus server scrapes the exporter with the shipped alert rules loaded (their for:
    durations cut to nothing). The scenario stops fan 3 and fails supply 2 of node 0, then node 1's SP
    stops answering for a while (a run of transport faults) and answers again. Prometheus must fire
    the fan, supply, critical-sensor and SP alerts, lose node 1's sensor series while its SP is
    silent and get them back after, with yat_up{node="1"} following; the fan keeps its earlier speed
    in its history, and the exporter counts the fan and supply events the SP sent."""
    import re
    import shutil
    import time
    import urllib.parse
    prometheus = shutil.which("prometheus")
    if prometheus is None:
        print("SKIP: no prometheus server on PATH (scripts/install-deps installs it)")
        sys.exit(77)
    started = time.monotonic()
    # The exporter runs at a sleep scale of its own, so that the SP's pace (the library's polling every
    # 20 s scaled, the event threads' waits, the timeline) is close to real time: node 1's silence is
    # a run of requests, and at this pace a run of seconds.
    scale = 0.05
    scenario = default_scenario()
    # Prometheus scrapes a new target first about 5 s after it starts: the fan and the supply fail at
    # 9 s. Start takes about 250 requests to node 1 and each second about 30 more: node 1 answers for
    # about 12 s, then fails 300 requests in transport (about 7 s).
    scenario["timeline"] = [{"at": int(9000 / scale), "node": 0, "event": "fan", "fan": 3},
                            {"at": int(9000 / scale), "node": 0, "event": "powerSupply", "supply": 2}]
    scenario["faults"] = {"rules": [{"fault": "transport", "node": 1, "skip": 620, "count": 300}]}
    scenario_path = scenario_file(json.dumps(scenario))

    source = os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../packaging/yat-alerts.yml")
    with open(source) as handle:
        rules = re.sub(r"for: \S+", "for: 0s", handle.read())
    with open(os.path.join(WORK, "yat-alerts.yml"), "w") as handle:
        handle.write(rules)
    exporter_port, prometheus_port = free_port(), free_port()
    config = os.path.join(WORK, "prometheus.yml")
    with open(config, "w") as handle:
        handle.write("global:\n  scrape_interval: 1s\n  scrape_timeout: 1s\n  evaluation_interval: 1s\n"
                     f"rule_files: ['{WORK}/yat-alerts.yml']\n"
                     "scrape_configs:\n  - job_name: yat\n    static_configs:\n"
                     f"      - targets: ['127.0.0.1:{exporter_port}']\n")
    server = subprocess.Popen([prometheus, f"--config.file={config}", f"--storage.tsdb.path={WORK}/tsdb",
                               f"--web.listen-address=127.0.0.1:{prometheus_port}"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    exporter = None
    try:
        # The scenario's clock starts with the exporter: once Prometheus is ready.
        deadline = time.monotonic() + 30
        while True:
            try:
                scrape(f"http://127.0.0.1:{prometheus_port}/-/ready")
                break
            except OSError:
                check(time.monotonic() < deadline, "Prometheus did not get ready")
                time.sleep(0.1)
        environment = dict(os.environ, YAT_SLEEP_SCALE=str(scale), XDG_STATE_HOME=WORK)
        exporter = subprocess.Popen([YATCTL, "--log-dir", WORK, "--scenario", scenario_path, "exporter",
                                     "--listen", f"127.0.0.1:{exporter_port}", "--refresh-interval", "0.5"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=environment)

        def api(path):
            try:
                answer = json.loads(scrape(f"http://127.0.0.1:{prometheus_port}/api/v1/{path}"))
            except OSError:
                return None
            return answer["data"] if answer.get("status") == "success" else None

        def query(expression):
            data = api("query?query=" + urllib.parse.quote(expression))
            return data["result"] if data else []

        def value(expression):
            result = query(expression)
            return result[0]["value"][1] if len(result) == 1 else None

        def firing():
            data = api("alerts")
            return {(a["labels"]["alertname"], a["labels"].get("node"), a["labels"].get("name"))
                    for a in (data["alerts"] if data else []) if a["state"] == "firing"}

        def wait_for(condition, what, seconds=30):
            deadline = time.monotonic() + seconds
            while time.monotonic() < deadline:
                if condition():
                    print(f"{time.monotonic() - started:.1f} s: {what}")
                    return
                time.sleep(0.2)
            fail(f"Prometheus never showed {what} ({time.monotonic() - started:.1f} s); firing: {firing()}")

        node1 = 'count(yat_temperature_celsius{node="1"})'
        wait_for(lambda: value('up{job="yat"}') == "1" and value(node1) == "6", "the exporter up with node 1")
        temperatures = query("yat_temperature_celsius")
        check(all(float(series["value"][1]) > 0 and series["metric"]["job"] == "yat" for series in temperatures),
              temperatures)
        check({series["metric"]["node"] for series in temperatures} == {"0", "1"}, temperatures)
        expected = {("YatFanBelowLowerLimit", "0", "Fan 3"), ("YatPowerSupplyFailed", "0", "Power supply 2"),
                    ("YatSensorCritical", "0", "Fan 3"), ("YatSensorCritical", "0", "Power supply 2")}
        check(firing() <= expected, f"alerts before any fault: {firing()}")
        # The fan and the supply.
        wait_for(lambda: expected <= firing(), "the fan and supply alerts")
        fan = 'yat_fan_speed_{}{{node="0",name="Fan 3"}}'
        check(value(fan.format("rpm")) == "0" and value(fan.format("state")) == "2", query(fan.format("state")))
        check(float(value(f"max_over_time({fan.format('rpm')}[5m])")) > 0,
              "the series lost the speed from before the fan stopped")
        check(value('yat_fan_speed_state{node="1",name="Fan 3"}') == "0", "the other node's fan changed")
        # Node 1's SP silent: its sensors leave, it is down, the alert fires; node 0 stays.
        wait_for(lambda: value(node1) is None and value('yat_up{node="1"}') == "0", "node 1's sensors gone")
        wait_for(lambda: ("YatSpNotAnswering", "1", None) in firing(), "the SP alert of node 1", seconds=10)
        check(value('yat_up{node="0"}') == "1" and value('count(yat_temperature_celsius{node="0"})') == "6",
              "node 0 went with node 1")
        # And back.
        wait_for(lambda: value(node1) == "6" and value('yat_up{node="1"}') == "1", "node 1's sensors back")
        wait_for(lambda: ("YatSpNotAnswering", "1", None) not in firing(), "the SP alert of node 1 resolved",
                 seconds=10)
        page = scrape(f"http://127.0.0.1:{exporter_port}/metrics")
        for counted in ('yat_events_total{kind="fan",node="0"} 1', 'yat_events_total{kind="power_supply",node="0"} 1',
                        'yat_events_total{kind="fan",node="1"} 0'):
            check(counted in page, f"{counted} missing:\n{page}")
        print(f"scenario done in {time.monotonic() - started:.1f} s")
    finally:
        if exporter is not None:
            stop_exporter(exporter)
        server.terminate()
        server.wait(timeout=30)


globals()["case_" + CASE.replace("-", "_")]()
print("PASS:", CASE)
