#!/usr/bin/env python3
"""End-to-end checks of yat-redfishd: starts it over the simulator's default scenario on a loopback
address with plain HTTP, and checks what Redfish clients see: every linked resource, the values
against what yatctl reads through the same library, authentication, the locator light, and (when it
is installed) Debian's redfishtool. Exit 77 when something the case needs is missing.

Usage: check_redfishd.py YAT_REDFISHD CASE
"""
import base64
import contextlib
import json
import os
import shutil
import ssl
import subprocess
import sys
import tempfile
import urllib.error
import urllib.request

REDFISHD = sys.argv[1]
CASE = sys.argv[2]
YATCTL = os.path.join(os.path.dirname(REDFISHD), "yatctl")
WORK = tempfile.mkdtemp(prefix="redfishd-test-")
PASSWORD = "correct horse"
SKIP = 77


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)


def hash_password(password):
    done = subprocess.run([REDFISHD, "hash-password"], input=password + "\n", capture_output=True, text=True,
                          timeout=30)
    check(done.returncode == 0, f"hash-password: exit {done.returncode}: {done.stderr}")
    return done.stdout.strip()


def users_file(mode=0o600, name="users"):
    path = os.path.join(WORK, name)
    digest = hash_password(PASSWORD)
    with open(path, "w") as handle:
        handle.write(f"# test users\nadmin:Administrator:{digest}\noperator:Operator:{digest}\n"
                     f"viewer:ReadOnly:{digest}\n")
    os.chmod(path, mode)
    return path


class Daemon:
    """yat-redfishd on 127.0.0.1, any free port; stopped (SIGTERM) when the block ends."""

    def __init__(self, users, scenario=None, tls=(), comm=None):
        extra = ["--scenario", scenario] if scenario else []
        extra += ["--comm", comm] if comm else []
        extra += ["--tls-cert", tls[0], "--tls-key", tls[1]] if tls else ["--insecure-http"]
        self.process = subprocess.Popen(
            [REDFISHD, "--listen", "127.0.0.1:0", "--users", users, "--log-dir", WORK, "--state-dir", WORK, *extra],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if "serving http" not in line:
            self.process.kill()
            fail(f"no serving line: {line!r} {self.process.stderr.read()}")
        self.base = line.split("serving ")[1].split(" ")[0].rsplit("/redfish/v1", 1)[0]

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            code = self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            fail("yat-redfishd did not stop on SIGTERM")
        self.log = self.process.stderr.read()
        check(code == 0, f"yat-redfishd exit {code}: {self.log}")

    def request(self, path, user="admin", method="GET", body=None, password=PASSWORD, headers=None):
        """(status, parsed JSON body, headers)."""
        data = None if body is None else (body if isinstance(body, bytes) else json.dumps(body).encode())
        req = urllib.request.Request(self.base + path, data=data, method=method, headers=headers or {})
        if user is not None:
            token = base64.b64encode(f"{user}:{password}".encode()).decode()
            req.add_header("Authorization", "Basic " + token)
        if data is not None:
            req.add_header("Content-Type", "application/json")
        context = ssl._create_unverified_context() if self.base.startswith("https") else None  # self-signed
        try:
            with urllib.request.urlopen(req, timeout=20, context=context) as answer:
                status, text, headers = answer.status, answer.read(), answer.headers
        except urllib.error.HTTPError as error:
            status, text, headers = error.code, error.read(), error.headers
        try:
            doc = json.loads(text) if text else None
        except ValueError:
            doc = text.decode(errors="replace")
        return status, doc, headers

    def get(self, path, **kw):
        status, doc, _ = self.request(path, **kw)
        check(status == 200, f"GET {path}: {status} {doc}")
        return doc


def links(doc):
    """Every @odata.id the document names, without fragments."""
    found = []
    if isinstance(doc, dict):
        for key, value in doc.items():
            if key == "@odata.id" and isinstance(value, str):
                found.append(value.split("#")[0])
            else:
                found.extend(links(value))
    elif isinstance(doc, list):
        for value in doc:
            found.extend(links(value))
    return found


def yatctl_json(*args):
    if not os.path.exists(YATCTL):
        return None
    done = subprocess.run([YATCTL, "--log-dir", WORK, "--json", *args], capture_output=True, text=True, timeout=60)
    check(done.returncode == 0, f"yatctl {args}: {done.stderr}")
    return json.loads(done.stdout)


def case_walk():
    """Every resource reachable from the service root answers 200 with @odata.id (its own path) and
    a versioned @odata.type, and Name and Id where the schema has them."""
    with Daemon(users_file()) as daemon:
        check(daemon.get("/redfish", user=None) == {"v1": "/redfish/v1/"}, "/redfish")
        seen, queue = set(), ["/redfish/v1"]
        while queue:
            path = queue.pop()
            if path in seen:
                continue
            seen.add(path)
            doc = daemon.get(path)
            check(doc.get("@odata.id") == path, f"{path}: @odata.id {doc.get('@odata.id')}")
            kind = doc.get("@odata.type", "")
            check(kind.startswith("#") and kind.count(".") >= 1, f"{path}: @odata.type {kind!r}")
            if path != "/redfish/v1/odata":
                check("Name" in doc, f"{path}: no Name")
            if "Collection" not in kind and path != "/redfish/v1/odata":
                check(".v1_" in kind and "Id" in doc, f"{path}: {kind} without version or Id")
            if "Members" in doc:
                check(doc["Members@odata.count"] == len(doc["Members"]), f"{path}: member count")
            queue.extend(link for link in links(doc) if link not in seen)
        for needed in ("/redfish/v1/Chassis/1/Sensors/Fan1", "/redfish/v1/Chassis/0/Thermal",
                       "/redfish/v1/Chassis/0/Power", "/redfish/v1/Systems/1/LogServices/SEL/Entries/1",
                       "/redfish/v1/Managers/1", "/redfish/v1/Chassis/0/ThermalSubsystem/Fans/Fan6",
                       "/redfish/v1/Chassis/1/PowerSubsystem/PowerSupplies/PowerSupply2"):
            check(needed in seen, f"{needed} not linked from the service root")
        odata = daemon.get("/redfish/v1/odata", user=None)
        check({v["url"] for v in odata["value"]} >= {"/redfish/v1/Chassis", "/redfish/v1/Systems"}, odata)
        status, text, headers = daemon.request("/redfish/v1/$metadata", user=None)
        check(status == 200 and "ServiceRoot.v1_16_0" in text, f"$metadata: {status}")
        check(headers["OData-Version"] == "4.0", headers)


def case_values():
    """The resources say what yatctl reads through the same library over the same scenario."""
    info, sensors, sel = yatctl_json("info"), yatctl_json("sensors"), yatctl_json("sel")
    network = yatctl_json("network", "--node", "1")
    if info is None:
        print("yatctl is not built: skipped")
        sys.exit(SKIP)
    with Daemon(users_file()) as daemon:
        for node in info["nodes"]:
            n = node["node"]
            system = daemon.get(f"/redfish/v1/Systems/{n}")
            check(system["PowerState"] == ("On" if node["systemState"]["powerOn"] else "Off"), system)
            check(system["Status"]["HealthRollup"] == "OK", system["Status"])
            firmware = {item["kind"]: item for item in node["firmware"]}
            manager = daemon.get(f"/redfish/v1/Managers/{n}")
            check(manager["FirmwareVersion"] in (firmware[4].get("revision"), firmware[4].get("buildId")), manager)
        shown = daemon.get("/redfish/v1/Managers/1/EthernetInterfaces")
        nics = network["nodes"][0]["interfaces"]
        check(shown["Members@odata.count"] == len(nics), (shown, nics))
        for nic in nics:
            doc = daemon.get(f"/redfish/v1/Managers/1/EthernetInterfaces/{nic['interface']}")
            ipv4 = doc["IPv4Addresses"][0]
            check(doc["DHCPv4"]["DHCPEnabled"] == (nic["dhcp"] == "on"), (doc, nic))
            check((ipv4["Address"], ipv4["SubnetMask"], ipv4["Gateway"]) == (nic["address"], nic["mask"], nic["gateway"]),
                  (doc, nic))
        # Every sensor of both nodes, by yatctl's name: reading, thresholds and units.
        rows = sensors["sensors"]
        check(len(rows) > 40, "yatctl shows few sensors")
        units = {"temperature": "Cel", "voltage": "V", "fan": "RPM"}
        limits = {"temperature": {"UpperCaution": "upperWarning", "UpperCritical": "upperCritical"},
                  "voltage": {"LowerCritical": "lowerCritical", "UpperCritical": "upperCritical"},
                  "fan": {"LowerCritical": "lowerCritical"}}
        for row in rows:
            parts = "".join(c if c.isalnum() else " " for c in row["name"]).split()
            ident = parts[0] + "".join(p[:1].upper() + p[1:] for p in parts[1:])
            doc = daemon.get(f"/redfish/v1/Chassis/{row['node']}/Sensors/{ident}")
            check(doc["Name"] == row["name"], (doc, row))
            if row["class"] in units:
                check(doc["Reading"] == row["reading"] and doc["ReadingUnits"] == units[row["class"]], (doc, row))
                shown = {k: v["Reading"] for k, v in doc.get("Thresholds", {}).items()}
                expected = {k: row[v] for k, v in limits[row["class"]].items() if row.get(v) is not None}
                check(shown == expected, (doc, row))
                check(doc["Status"]["Health"] == "OK", doc)
        collection = daemon.get("/redfish/v1/Chassis/0/Sensors")
        check(collection["Members@odata.count"] == sum(r["node"] == 0 for r in rows), collection)
        fans = [r for r in rows if r["node"] == 0 and r["class"] == "fan"]
        voltages = [r for r in rows if r["node"] == 0 and r["class"] == "voltage"]
        thermal = daemon.get("/redfish/v1/Chassis/0/Thermal")
        check([f["Reading"] for f in thermal["Fans"]] == [f["reading"] for f in fans], thermal)
        fan1 = daemon.get("/redfish/v1/Chassis/0/ThermalSubsystem/Fans/Fan1")
        check(fan1["SpeedPercent"]["SpeedRPM"] == fans[0]["reading"], fan1)
        power = daemon.get("/redfish/v1/Chassis/0/Power")
        check([v["ReadingVolts"] for v in power["Voltages"]] == [v["reading"] for v in voltages], power)
        # The log: the same records, numbered alike (the oldest is 1), at the same times.
        entries = daemon.get("/redfish/v1/Systems/0/LogServices/SEL/Entries")
        log = sel["nodes"][0]["entries"]
        check(entries["Members@odata.count"] == len(log), (entries["Members@odata.count"], len(log)))
        for entry, record in zip(entries["Members"], log):
            check(entry["Id"] == str(record["record"]) and entry["Message"] == record["message"], (entry, record))
            check(entry["Created"] == record["time"].replace("Z", "+00:00"), (entry, record))


def case_auth():
    """401 without or with wrong credentials (the service root stays open), 403 for a ReadOnly
    PATCH, Redfish error bodies with Base message ids, 404 and 405."""
    with Daemon(users_file()) as daemon:
        check(daemon.request("/redfish/v1", user=None)[0] == 200, "service root needs no login")
        status, doc, headers = daemon.request("/redfish/v1/Chassis", user=None)
        check(status == 401 and "Basic" in headers.get("WWW-Authenticate", ""), (status, headers))
        check(doc["error"]["@Message.ExtendedInfo"][0]["MessageId"].startswith("Base.1."), doc)
        check(daemon.request("/redfish/v1/Chassis", password="wrong")[0] == 401, "wrong password let in")
        check(daemon.request("/redfish/v1/Chassis", user="nobody")[0] == 401, "unknown user let in")
        check(daemon.get("/redfish/v1/Chassis", user="viewer")["Members@odata.count"] == 2, "viewer reads")
        status, doc, _ = daemon.request("/redfish/v1/Chassis/0", user="viewer", method="PATCH",
                                        body={"LocationIndicatorActive": True})
        check(status == 403 and "InsufficientPrivilege" in doc["error"]["code"], (status, doc))
        check(daemon.get("/redfish/v1/Chassis/0")["LocationIndicatorActive"] is False, "a refused PATCH changed it")
        status, doc, _ = daemon.request("/redfish/v1/Chassis/7")
        check(status == 404 and doc["error"]["code"].endswith("ResourceNotFound"), (status, doc))
        status, doc, headers = daemon.request("/redfish/v1/Systems/0", method="PATCH", body={"AssetTag": "x"})
        check(status == 405 and headers["Allow"] == "GET, HEAD", (status, doc, headers))
        check(daemon.request("/redfish/v1/Chassis/0", user="operator", method="DELETE")[0] == 403, "DELETE")
        status, doc, _ = daemon.request("/redfish/v1/Chassis/0", method="PATCH", body=b"{" + b" " * 70000 + b"}")
        check(status == 413 and doc["error"]["code"].endswith("GeneralError"), (status, doc))
        check(daemon.get("/redfish/v1")["Id"] == "RootService", "serving after a refused body")


def case_locator():
    """PATCH LocationIndicatorActive and IndicatorLED set the locator light, as yatctl sees it; bad
    bodies answer 400 with the message the fault calls for and change nothing."""
    with Daemon(users_file()) as daemon:
        path = "/redfish/v1/Chassis/1"
        status, doc, _ = daemon.request(path, user="operator", method="PATCH", body={"LocationIndicatorActive": True})
        check(status == 200 and doc["LocationIndicatorActive"] is True and doc["IndicatorLED"] == "Lit", doc)
        light = yatctl_json("bluelight", "--node", "1")
        if light is not None:
            check(light["nodes"][0]["state"] != 0, light)
        check(daemon.get("/redfish/v1/Chassis/0")["LocationIndicatorActive"] is False, "node 0 changed too")
        status, doc, _ = daemon.request(path, method="PATCH", body={"IndicatorLED": "Off"})
        check(status == 200 and doc["LocationIndicatorActive"] is False, doc)
        for body, message in ((b"{nope", "MalformedJSON"), ({"LocationIndicatorActive": "yes"}, "PropertyValueTypeError"),
                              ({"IndicatorLED": "Blinking"}, "PropertyValueNotInList"),
                              ({"SerialNumber": "1"}, "PropertyNotWritable"), ({"Colour": "red"}, "PropertyUnknown")):
            status, doc, _ = daemon.request(path, method="PATCH", body=body)
            check(status == 400 and doc["error"]["@Message.ExtendedInfo"][0]["MessageId"].endswith(message),
                  (body, status, doc))
        check(daemon.get(path)["LocationIndicatorActive"] is False, "a refused PATCH changed the light")


def case_clear_log():
    """LogService.ClearLog erases the node's log (an Administrator's action): a ReadOnly or Operator
    user gets 403, a GET of the action 405; the other node's log stays."""
    with Daemon(users_file()) as daemon:
        service = daemon.get("/redfish/v1/Systems/0/LogServices/SEL")
        target = service["Actions"]["#LogService.ClearLog"]["target"]
        before = daemon.get("/redfish/v1/Systems/1/LogServices/SEL/Entries")["Members@odata.count"]
        for user in ("viewer", "operator"):
            check(daemon.request(target, user=user, method="POST", body={})[0] == 403, user)
        check(daemon.request(target)[0] == 405, "GET of an action")
        status, doc, _ = daemon.request(target, method="POST", body={})
        check(status == 200 and doc["@Message.ExtendedInfo"][0]["MessageId"].endswith(".Success"), (status, doc))
        entries = daemon.get("/redfish/v1/Systems/0/LogServices/SEL/Entries")
        check(entries["Members@odata.count"] <= 1, entries)  # the SP may note the clearing itself
        check(daemon.get("/redfish/v1/Systems/1/LogServices/SEL/Entries")["Members@odata.count"] == before, "node 1")


def case_health():
    """A sensor past its limits shows in its own health and in the rollup of its chassis and system,
    and in the older Thermal and Power resources; the other node stays OK."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../sim/default_scenario.json")) as handle:
        scenario = json.load(handle)
    sensors = scenario["nodes"][0]["sensors"]
    # Node 1 inherits node 0's sensors: it keeps its own copy of the unchanged ones.
    scenario["nodes"][1]["sensors"].update(json.loads(json.dumps(
        {"temperatures": sensors["temperatures"], "voltages": sensors["voltages"]})))
    sensors["temperatures"][2]["reading"] = 82.0  # CPU 1: above its lower (caution) limit of 80
    sensors["voltages"][0]["reading"] = 3.6  # Voltage 1: above its upper limit of 3.47
    path = os.path.join(WORK, "scenario.json")
    with open(path, "w") as handle:
        json.dump(scenario, handle)
    with Daemon(users_file(), scenario=path) as daemon:
        cpu = daemon.get("/redfish/v1/Chassis/0/Sensors/CPU1Temperature")
        check(cpu["Reading"] == 82 and cpu["Status"]["Health"] == "Warning", cpu)
        volt = daemon.get("/redfish/v1/Chassis/0/Sensors/Voltage1")
        check(volt["Reading"] == 3.6 and volt["Status"]["Health"] == "Critical", volt)
        check(daemon.get("/redfish/v1/Chassis/0")["Status"]["Health"] == "Critical", "chassis health")
        check(daemon.get("/redfish/v1/Systems/0")["Status"]["HealthRollup"] == "Critical", "system rollup")
        check(daemon.get("/redfish/v1/Systems/1")["Status"]["HealthRollup"] == "OK", "node 1 rollup")
        thermal = {t["Name"]: t for t in daemon.get("/redfish/v1/Chassis/0/Thermal")["Temperatures"]}
        check(thermal["CPU 1 temperature"]["Status"]["Health"] == "Warning", thermal)
        voltages = {v["Name"]: v for v in daemon.get("/redfish/v1/Chassis/0/Power")["Voltages"]}
        check(voltages["Voltage 1"]["Status"]["Health"] == "Critical", voltages)


def case_fan_back():
    """A fan stopped at start is unknown without the registry texts of an earlier run; once it turns
    again the library announces it and it is served from then on (Sensors, ThermalSubsystem)."""
    import time
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../sim/default_scenario.json")) as handle:
        scenario = json.load(handle)
    scenario["nodes"][0]["sensors"]["fans"][2]["rpm"] = 0
    scale = float(os.environ.get("YAT_SLEEP_SCALE", "1"))
    scenario["timeline"] = [{"at": int(2000 / scale), "node": 0, "event": "change", "fan": 3, "rpm": 4000}]
    path = os.path.join(WORK, "scenario.json")
    with open(path, "w") as handle:
        json.dump(scenario, handle)
    with Daemon(users_file(), scenario=path) as daemon:
        def fans():
            doc = daemon.get("/redfish/v1/Chassis/0/Sensors")
            return {m["@odata.id"].rsplit("/", 1)[1] for m in doc["Members"] if "/Fan" in m["@odata.id"]}
        check("Fan3" not in fans() and "Fan4" in fans(), fans())
        deadline = time.monotonic() + 20
        while "Fan3" not in fans() and time.monotonic() < deadline:
            time.sleep(0.05)
        check(daemon.get("/redfish/v1/Chassis/0/Sensors/Fan3")["Reading"] == 4000, "fan 3 not back")
        daemon.get("/redfish/v1/Chassis/0/ThermalSubsystem/Fans/Fan3")


def case_fan_stops():
    """A fan that stops while the service runs shows as critical, in its sensor, the thermal
    subsystem and the chassis and system health, within seconds; the other node stays OK."""
    import time
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../sim/default_scenario.json")) as handle:
        scenario = json.load(handle)
    scale = float(os.environ.get("YAT_SLEEP_SCALE", "1"))
    scenario["timeline"] = [{"at": int(1000 / scale), "node": 0, "event": "change", "fan": 2, "rpm": 0}]
    path = os.path.join(WORK, "scenario.json")
    with open(path, "w") as handle:
        json.dump(scenario, handle)
    with Daemon(users_file(), scenario=path) as daemon:
        fan = "/redfish/v1/Chassis/0/Sensors/Fan2"
        check(daemon.get(fan)["Status"]["Health"] == "OK", "fan 2 stopped at start")
        deadline = time.monotonic() + 20
        while daemon.get(fan)["Status"]["Health"] != "Critical" and time.monotonic() < deadline:
            time.sleep(0.05)
        check(daemon.get(fan)["Reading"] == 0 and daemon.get(fan)["Status"]["Health"] == "Critical", daemon.get(fan))
        check(daemon.get("/redfish/v1/Chassis/0/ThermalSubsystem")["Status"]["HealthRollup"] == "Critical", "thermal")
        check(daemon.get("/redfish/v1/Systems/0")["Status"]["HealthRollup"] == "Critical", "system 0")
        check(daemon.get("/redfish/v1/Systems/1")["Status"]["HealthRollup"] == "OK", "system 1")


def case_unreachable_at_start():
    """Node 1's SP answers nothing at start: discovery is repeated as requests come until it
    succeeds, and node 1's sensors are served from then on without a restart."""
    import time
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../sim/default_scenario.json")) as handle:
        scenario = json.load(handle)
    scenario["faults"] = {"rules": [{"fault": "transport", "node": 1, "count": 100}]}
    path = os.path.join(WORK, "scenario.json")
    with open(path, "w") as handle:
        json.dump(scenario, handle)
    with Daemon(users_file(), scenario=path) as daemon:
        deadline = time.monotonic() + 20
        count = lambda: daemon.get("/redfish/v1/Chassis/1/Sensors")["Members@odata.count"]
        while count() < 24 and time.monotonic() < deadline:
            status = daemon.request("/redfish/v1/Chassis/1")[0]  # reads of node 1 use up its failures
            check(status == 200, status)
            time.sleep(0.05)
        check(count() == daemon.get("/redfish/v1/Chassis/0/Sensors")["Members@odata.count"], count())
        check(daemon.get("/redfish/v1/Chassis/1/Sensors/Fan1")["Status"]["Health"] == "OK", "node 1 fan 1")


@contextlib.contextmanager
def spd_socket():
    """A yat-spd daemon serving the default scenario's SPs on a socket: its --comm value."""
    spd_path = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(REDFISHD))), "yat-spd")
    if not os.path.exists(spd_path):
        print("yat-spd is not built: skipped")
        sys.exit(SKIP)
    socket_path = os.path.join(WORK, "spd.sock")
    spd = subprocess.Popen([spd_path, "--listen", "unix:" + socket_path], stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, text=True)
    try:
        spd.stdout.readline()  # listening
        yield "unix:" + socket_path
    finally:
        spd.terminate()
        spd.wait(timeout=30)


def case_comm_socket():
    """Over --comm unix:PATH: the SPs of a yat-spd daemon, read and changed through the socket."""
    with spd_socket() as comm, Daemon(users_file(), comm=comm) as daemon:
        check(daemon.get("/redfish/v1/Managers/1")["FirmwareVersion"] == "1.42", "firmware over the socket")
        check(daemon.get("/redfish/v1/Chassis/0/Sensors")["Members@odata.count"] == 24, "sensors")
        status, doc, _ = daemon.request("/redfish/v1/Chassis/1", method="PATCH", body={"LocationIndicatorActive": True})
        check(status == 200 and doc["LocationIndicatorActive"] is True, doc)


def case_tls():
    """With --tls-cert and --tls-key it serves HTTPS (a self-signed certificate made here)."""
    if shutil.which("openssl") is None:
        print("openssl is not installed: skipped")
        sys.exit(SKIP)
    cert, key = os.path.join(WORK, "cert.pem"), os.path.join(WORK, "key.pem")
    done = subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                           "-days", "1", "-subj", "/CN=localhost"], capture_output=True, text=True, timeout=60)
    check(done.returncode == 0, done.stderr)
    with Daemon(users_file(), tls=(cert, key)) as daemon:
        check(daemon.base.startswith("https://"), daemon.base)
        check(daemon.get("/redfish/v1/Managers")["Members@odata.count"] == 2, "managers over TLS")
        check(daemon.request("/redfish/v1/Managers", user=None)[0] == 401, "TLS without credentials")


def case_refuses():
    """It does not start with a users file others can read, plain HTTP on a public address, or a
    bad --listen."""
    readable = users_file(0o644, "readable-users")
    cases = (
        (["--listen", "127.0.0.1:0", "--users", readable, "--insecure-http"], "make it private"),
        (["--listen", "0.0.0.0:0", "--users", users_file(), "--insecure-http"], "loopback"),
        (["--listen", "127.0.0.1", "--users", users_file(), "--insecure-http"], "ADDRESS:PORT"),
        (["--listen", "127.0.0.1:0", "--users", users_file()], "--tls-cert"),
    )
    for args, words in cases:
        done = subprocess.run([REDFISHD, *args], capture_output=True, text=True, timeout=30)
        check(done.returncode == 2 and words in done.stderr, (args, done.returncode, done.stderr))


def case_redfishtool():
    """Debian's redfishtool reads the chassis, systems, managers and the account service, and every
    member of the collections it lists."""
    tool = shutil.which("redfishtool")
    if tool is None:
        print("redfishtool is not installed: skipped")
        sys.exit(SKIP)
    with Daemon(users_file()) as daemon:
        host = daemon.base.split("://")[1]
        common = [tool, "-r", host, "-S", "Never", "-u", "admin", "-p", PASSWORD]
        for args, expect in ((["Chassis", "-I", "0", "get"], "#Chassis.v1_"),
                             (["Systems", "-I", "1", "get"], "PowerState"),
                             (["Managers", "-I", "0", "get"], "FirmwareVersion"),
                             (["Chassis", "-I", "0", "Thermal"], "Temperatures"),
                             (["Chassis", "-I", "0", "Power"], "Voltages"),
                             (["AccountService", "get"], "#AccountService.v1_"),
                             (["raw", "GET", "/redfish/v1/Systems/0/LogServices/SEL/Entries"], "Members")):
            done = subprocess.run(common + args, capture_output=True, text=True, timeout=30)
            check(done.returncode == 0 and expect in done.stdout, (args, done.returncode, done.stdout[:500],
                                                                     done.stderr[:500]))
        # Every member of every collection it lists, read with its raw GET.
        for args in (["Chassis", "list"], ["Systems", "list"], ["Managers", "list"],
                     ["AccountService", "Accounts", "list"], ["AccountService", "Roles", "list"]):
            done = subprocess.run(common + args, capture_output=True, text=True, timeout=30)
            check(done.returncode == 0, (args, done.stderr[:500]))
            members = [m["@odata.id"] for m in json.loads(done.stdout)["Members"]]
            check(members, (args, done.stdout[:500]))
            for member in members:
                done = subprocess.run(common + ["raw", "GET", member], capture_output=True, text=True, timeout=30)
                check(done.returncode == 0 and json.loads(done.stdout)["@odata.id"] == member,
                      (member, done.stdout[:500], done.stderr[:500]))
        done = subprocess.run(common[:-4] + ["-u", "viewer", "-p", "wrong", "Chassis", "-I", "0", "get"],
                              capture_output=True, text=True, timeout=30)
        check(done.returncode != 0, "redfishtool got in with a wrong password")


def case_sushy():
    """Debian's sushy (OpenStack's Redfish library, under the system Python) reads the systems, their
    power state and health, the chassis' temperatures, fans and supplies, and the managers'
    firmware, as yatctl reads them; it lights the locator through the older IndicatorLED."""
    python = "/usr/bin/python3"
    probe = subprocess.run([python, "-c", "import sushy"], capture_output=True) if os.path.exists(python) else None
    sensors = yatctl_json("sensors")
    if probe is None or probe.returncode != 0 or sensors is None:
        print("python3-sushy or yatctl is missing: skipped")
        sys.exit(SKIP)
    client = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sushy_client.py")
    with Daemon(users_file()) as daemon:
        done = subprocess.run([python, client, daemon.base, "admin", PASSWORD, "--blink"], capture_output=True,
                              text=True, timeout=60)
        check(done.returncode == 0, f"sushy: {done.stderr[-2000:]}")
        seen = json.loads(done.stdout)
    rows = sensors["sensors"]
    check([s["id"] for s in seen["systems"]] == ["0", "1"], seen["systems"])
    check(all(s["power_state"] == "PowerState.ON" and s["health"] == "Health.OK" for s in seen["systems"]),
          seen["systems"])
    for chassis in seen["chassis"]:
        node = int(chassis["id"])
        mine = [r for r in rows if r["node"] == node]
        check(chassis["temperatures"] == {r["name"]: r["reading"] for r in mine if r["class"] == "temperature"},
              chassis)
        check(chassis["fans"] == {r["name"]: r["reading"] for r in mine if r["class"] == "fan"}, chassis)
        check(chassis["supplies"] == sorted(r["name"] for r in mine if r["class"] == "power"), chassis)
        check(chassis["indicator_led"] == "IndicatorLED.LIT", chassis)
    check(all(m["firmware"] for m in seen["managers"]) and len(seen["managers"]) == 2, seen["managers"])


def login(daemon, user, password=PASSWORD):
    """POST to Sessions: (status, body, token, location)."""
    status, doc, headers = daemon.request("/redfish/v1/SessionService/Sessions", user=None, method="POST",
                                          body={"UserName": user, "Password": password})
    return status, doc, headers.get("X-Auth-Token"), headers.get("Location")


def case_sessions():
    """A session opened with POST answers 201 with its token and place; the token works instead of
    Basic on every resource, the session is its owner's and the Administrators' to read, DELETE ends it
    and the token is refused afterwards; a bad password is 401 and logged without the password."""
    with Daemon(users_file()) as daemon:
        root = daemon.get("/redfish/v1", user=None)
        check(root["SessionService"]["@odata.id"] == "/redfish/v1/SessionService", root)
        check(root["Links"]["Sessions"]["@odata.id"] == "/redfish/v1/SessionService/Sessions", root)
        check(daemon.get("/redfish/v1/SessionService")["SessionTimeout"] == 1800, "default timeout")
        status, doc, token, location = login(daemon, "viewer")
        check(status == 201 and token and location == doc["@odata.id"], (status, doc, token, location))
        check(doc["UserName"] == "viewer" and doc["Password"] is None and token not in json.dumps(doc), doc)
        session = {"X-Auth-Token": token}
        check(daemon.get("/redfish/v1/Chassis/0", user=None, headers=session)["Id"] == "0", "token refused")
        check(daemon.get(location, user=None, headers=session)["Id"] == doc["Id"], "own session")
        status, _, _ = daemon.request("/redfish/v1/Chassis/0", user=None, method="PATCH", headers=session,
                                      body={"LocationIndicatorActive": True})
        check(status == 403, f"ReadOnly session PATCH: {status}")
        _, admin_doc, admin_token, admin_location = login(daemon, "admin")
        check(daemon.request(admin_location, user=None, headers=session)[0] == 403, "another's session")
        check(daemon.get(location, user=None, headers={"X-Auth-Token": admin_token})["UserName"] == "viewer", "admin")
        listed = daemon.get("/redfish/v1/SessionService/Sessions", user=None, headers=session)
        check([m["@odata.id"] for m in listed["Members"]] == [location], listed)
        status, doc, _ = daemon.request(location, user=None, method="DELETE", headers=session)
        check(status == 200, (status, doc))
        status, doc, _ = daemon.request("/redfish/v1/Chassis/0", user=None, headers=session)
        check(status == 401 and doc["error"]["code"].endswith("NoValidSession"), (status, doc))
        check(daemon.request(location, user=None, headers={"X-Auth-Token": admin_token})[0] == 404, "deleted")
        status, doc, token, _ = login(daemon, "admin", "wrong horse battery")
        check(status == 401 and token is None, (status, doc))
        check(daemon.request(admin_location, user=None, headers={"X-Auth-Token": admin_token})[0] == 200, "admin")
    log = daemon.log
    check("failed login as admin from 127.0.0.1" in log and "wrong horse" not in log, log)


def account_role(authority):
    return {"Administrator": "Administrator", "ReadOnly": "ReadOnly"}.get(authority, "Custom")


def case_accounts():
    """The SP's twelve accounts as yatctl shows them over the same scenario; POST takes the first free
    slot until none is left (400), PATCH changes name, role and password (never shown), DELETE
    frees; a ReadOnly user gets 403 and what the SP cannot hold is refused."""
    shown = yatctl_json("accounts", "--node", "0")
    if shown is None:
        print("yatctl is not built: skipped")
        sys.exit(SKIP)
    rows = shown["nodes"][0]["accounts"]
    with Daemon(users_file()) as daemon:
        service = daemon.get("/redfish/v1/AccountService")
        collection = daemon.get(service["Accounts"]["@odata.id"])
        check(collection["Members@odata.count"] == 12 == len(rows), collection)
        for row in rows:
            doc = daemon.get(f"/redfish/v1/AccountService/Accounts/{row['account']}")
            in_use = row["status"] == "in use"
            check(doc["UserName"] == row["userId"] and doc["Enabled"] == in_use and doc["Password"] is None, (doc, row))
            if in_use:
                check(doc["RoleId"] == account_role(row["authority"]), (doc, row))
                check(daemon.get(doc["Links"]["Role"]["@odata.id"])["RoleId"] == doc["RoleId"], doc)
        roles = daemon.get("/redfish/v1/AccountService/Roles/ReadOnly")
        check(roles["AssignedPrivileges"] == ["Login", "ConfigureSelf"], roles)
        free = [row["account"] for row in rows if row["status"] == "free"]
        accounts = "/redfish/v1/AccountService/Accounts"
        new = {"UserName": "newbie", "Password": "pw-1234", "RoleId": "ReadOnly"}
        check(daemon.request(accounts, user="viewer", method="POST", body=new)[0] == 403, "ReadOnly POST")
        check(daemon.request(accounts, user="operator", method="POST", body=new)[0] == 403, "Operator POST")
        status, doc, headers = daemon.request(accounts, method="POST", body=new)
        check(status == 201 and doc["Id"] == str(free[0]) and headers["Location"] == doc["@odata.id"], (status, doc))
        check(doc["UserName"] == "newbie" and doc["RoleId"] == "ReadOnly" and doc["Password"] is None, doc)
        status, doc, _ = daemon.request(accounts, method="POST", body=new)
        check(status == 409 and doc["error"]["code"].endswith("ResourceAlreadyExists"), (status, doc))
        path = f"{accounts}/{free[0]}"
        status, doc, _ = daemon.request(path, method="PATCH", body={"RoleId": "Administrator", "UserName": "chief",
                                                                    "Password": "pw-5678"})
        check(status == 200 and (doc["UserName"], doc["RoleId"]) == ("chief", "Administrator"), (status, doc))
        check(daemon.get(path) == doc, "read back")
        check(daemon.request(path, user="viewer", method="PATCH", body={"RoleId": "ReadOnly"})[0] == 403, "viewer")
        # What the SP cannot hold: no Operator authority, no disabled account, 15 characters at most.
        for body, message in (({"RoleId": "Operator"}, "PropertyValueNotInList"),
                              ({"Enabled": False}, "PropertyValueNotInList"),
                              ({"Password": "p" * 16}, "PropertyValueError")):
            status, doc, _ = daemon.request(path, method="PATCH", body=body)
            check(status == 400 and doc["error"]["code"].endswith(message), (body, status, doc))
        check(daemon.get(path)["RoleId"] == "Administrator", "a refused PATCH changed the account")
        for index, slot in enumerate(free[1:]):
            status, doc, _ = daemon.request(accounts, method="POST", body={**new, "UserName": f"user{index}"})
            check(status == 201 and doc["Id"] == str(slot), (status, doc))
        status, doc, _ = daemon.request(accounts, method="POST", body={**new, "UserName": "one-too-many"})
        check(status == 400 and doc["error"]["code"].endswith("CreateLimitReachedForResource"), (status, doc))
        status, doc, _ = daemon.request(path, method="DELETE")
        check(status == 200 and daemon.get(path)["Enabled"] is False, (status, doc))
        check(daemon.request(accounts, method="POST", body={**new, "UserName": "again"})[1]["Id"] == str(free[0]),
              "freed slot not reused")


def case_property_errors():
    """Every resource that takes a PATCH or POST answers a bad body with the Redfish error body and the
    Base message the fault calls for, and changes nothing; If-Match guards a PATCH (412)."""
    chassis, account, sessions = ("/redfish/v1/Chassis/0", "/redfish/v1/AccountService/Accounts/0",
                                  "/redfish/v1/SessionService")
    table = (
        (chassis, "PATCH", b"{nope", "MalformedJSON"),
        (chassis, "PATCH", {"LocationIndicatorActive": 1}, "PropertyValueTypeError"),
        (account, "PATCH", b"[1, 2]", "MalformedJSON"),
        (account, "PATCH", {"Id": "3"}, "PropertyNotWritable"),
        (account, "PATCH", {"Nickname": "x"}, "PropertyUnknown"),
        (account, "PATCH", {"UserName": 7}, "PropertyValueTypeError"),
        (account, "PATCH", {"RoleId": "Root"}, "PropertyValueNotInList"),
        (account, "PATCH", {"UserName": "sixteen-chars-xx"}, "PropertyValueError"),
        ("/redfish/v1/AccountService/Accounts", "POST", {"UserName": "x", "Password": "y"}, "PropertyMissing"),
        (sessions, "PATCH", {"SessionTimeout": "600"}, "PropertyValueTypeError"),
        (sessions, "PATCH", {"SessionTimeout": 10}, "PropertyValueError"),
        (sessions, "PATCH", {"ServiceEnabled": False}, "PropertyNotWritable"),
        (sessions + "/Sessions", "POST", {"UserName": "admin", "Password": PASSWORD, "Role": "x"}, "PropertyUnknown"),
    )
    with Daemon(users_file()) as daemon:
        before = {path: daemon.get(path) for path in (chassis, account, sessions)}
        for path, method, body, message in table:
            status, doc, _ = daemon.request(path, method=method, body=body)
            info = doc["error"]["@Message.ExtendedInfo"][0] if status == 400 else {}
            check(status == 400 and info.get("MessageId", "").startswith("Base.1.") and
                  info["MessageId"].endswith("." + message), (path, body, status, doc))
        for path, doc in before.items():
            check(daemon.get(path) == doc, f"{path} changed by a refused request")
        # @odata.context and a weak ETag; If-Match holds the change back unless it names the current one.
        status, doc, headers = daemon.request(chassis)
        check(doc["@odata.context"] == "/redfish/v1/$metadata#Chassis.Chassis", doc)
        check(headers["ETag"].startswith('W/"') and doc["@odata.etag"] == headers["ETag"], headers)
        status, doc, _ = daemon.request(chassis, method="PATCH", body={"LocationIndicatorActive": True},
                                        headers={"If-Match": 'W/"0000"'})
        check(status == 412 and doc["error"]["code"].endswith("PreconditionFailed"), (status, doc))
        status, doc, changed = daemon.request(chassis, method="PATCH", body={"LocationIndicatorActive": True},
                                              headers={"If-Match": headers["ETag"]})
        check(status == 200 and doc["LocationIndicatorActive"] is True and changed["ETag"] != headers["ETag"], doc)
        metadata = daemon.request("/redfish/v1/$metadata", user=None)[1]
        for path in ("/redfish/v1/AccountService/Roles", account, sessions, "/redfish/v1/AccountService"):
            context = daemon.get(path)["@odata.context"]
            check(context.startswith("/redfish/v1/$metadata#"), (path, context))
            check(f'Namespace="{context.split("#")[1].split(".")[0]}"' in metadata, (path, context))


def case_redfishtool_accounts():
    """Debian's redfishtool logs in with a session (-A Session) and manages the SP's accounts: lists
    them, adds a user, changes its password, deletes it; the session ends when it is done."""
    tool = shutil.which("redfishtool")
    if tool is None:
        print("redfishtool is not installed: skipped")
        sys.exit(SKIP)
    with Daemon(users_file()) as daemon:
        common = [tool, "-r", daemon.base.split("://")[1], "-S", "Never", "-A", "Session", "-u", "admin",
                  "-p", PASSWORD]
        for args, expect in ((["AccountService", "Accounts", "list"], "USERID"),
                             (["AccountService", "adduser", "newbie", "pw-1234", "ReadOnly"], ""),
                             (["AccountService", "setpassword", "newbie", "pw-5678"], ""),
                             (["AccountService", "Accounts", "-mUserName:newbie"], '"RoleId": "ReadOnly"'),
                             (["AccountService", "deleteuser", "newbie"], "")):
            done = subprocess.run(common + args, capture_output=True, text=True, timeout=30)
            check(done.returncode == 0 and expect in done.stdout, (args, done.returncode, done.stdout[:800],
                                                                     done.stderr[:800]))
        names = [daemon.get(f"/redfish/v1/AccountService/Accounts/{i}")["UserName"] for i in range(12)]
        check("newbie" not in names, names)
        check(daemon.get("/redfish/v1/SessionService/Sessions")["Members@odata.count"] == 0, "sessions left open")


def scenario_file(timeline):
    """The default scenario with a timeline; "at" in unscaled milliseconds."""
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../sim/default_scenario.json")) as handle:
        scenario = json.load(handle)
    scale = float(os.environ.get("YAT_SLEEP_SCALE", "1"))
    scenario["timeline"] = [dict(entry, at=int(entry["at"] / scale)) for entry in timeline]
    path = os.path.join(WORK, "scenario.json")
    with open(path, "w") as handle:
        json.dump(scenario, handle)
    return path


class EventStream:
    """A client of the server-sent event stream: (status, events as parsed "data:" records)."""

    def __init__(self, daemon, user="admin"):
        import http.client
        host, port = daemon.base.split("://")[1].rsplit(":", 1)
        self.connection = http.client.HTTPConnection(host, int(port), timeout=10)
        headers = {"Accept": "text/event-stream"}
        if user is not None:
            headers["Authorization"] = "Basic " + base64.b64encode(f"{user}:{PASSWORD}".encode()).decode()
        self.connection.request("GET", "/redfish/v1/EventService/SSE", headers=headers)
        self.answer = self.connection.getresponse()
        self.status = self.answer.status

    def next_event(self, deadline):
        """The next record's parsed data, or None when the deadline (time.monotonic) passes."""
        import time
        data = []
        while time.monotonic() < deadline:
            self.connection.sock.settimeout(max(0.01, deadline - time.monotonic()))
            try:
                line = self.answer.fp.readline()
            except OSError:
                return None
            if not line:
                return None
            line = line.decode().rstrip("\r\n")
            if line.startswith("data: "):
                data.append(line[6:])
            elif line == "" and data:
                return json.loads("\n".join(data))
        return None

    def close(self):
        self.connection.close()


def wait_for_event(stream, deadline, predicate):
    while True:
        record = stream.next_event(deadline)
        if record is None or predicate(record["Events"][0]):
            return record


def case_event_stream():
    """The event stream: a fan that stops reaches a connected client within a second of the SP's
    event, as a SensorEvent with the fan as OriginOfCondition; a failed supply, a PFA and a DASD
    event follow; a fifth client is refused while four are open, and the service stops with its
    clients connected."""
    import time
    at = 1500  # the events come this long after the simulator starts
    path = scenario_file([{"at": at, "node": 0, "event": "fan", "fan": 2},
                          {"at": at + 100, "node": 1, "event": "powerSupply", "supply": 2},
                          {"at": at + 200, "node": 0, "event": "pfa"},
                          {"at": at + 300, "node": 1, "event": "dasd", "backplane": 1, "drive": 3}])
    with Daemon(users_file(), scenario=path) as daemon:
        started = time.monotonic()  # the simulator started before the daemon said it serves
        check(EventStream(daemon, user=None).status == 401, "event stream without credentials")
        streams = [EventStream(daemon, user="viewer")]
        check(streams[0].status == 200, streams[0].status)
        check(streams[0].answer.getheader("Content-Type", "").startswith("text/event-stream"), "content type")
        fan = wait_for_event(streams[0], started + at / 1000 + 1.0,
                             lambda e: e["OriginOfCondition"]["@odata.id"] == "/redfish/v1/Chassis/0/Sensors/Fan2")
        check(fan is not None, "no stopped fan within a second")
        event = fan["Events"][0]
        check(event["MessageId"] == "SensorEvent.1.0.0.ReadingCritical" and event["Severity"] == "Critical", event)
        check(event["MessageArgs"][:1] == ["Fan 2"] and "T" in event["EventTimestamp"], event)
        check(fan["@odata.type"].startswith("#Event.v1_"), fan)
        # The SP's fan event may come too (after polling saw the fan stop first).
        expected = {"/redfish/v1/Chassis/1/PowerSubsystem/PowerSupplies/PowerSupply2 ResourceStatusChangedCritical",
                    "/redfish/v1/Systems/0 ResourceErrorsDetected", "/redfish/v1/Systems/1 ResourceErrorsDetected"}
        seen = set()
        deadline = time.monotonic() + 10
        while not expected <= seen:
            record = streams[0].next_event(deadline)
            check(record is not None, f"events missing: {expected - seen}")
            event = record["Events"][0]
            seen.add(event["OriginOfCondition"]["@odata.id"] + " " + event["MessageId"].split(".")[-1])
        streams += [EventStream(daemon) for _ in range(3)]
        check([s.status for s in streams] == [200] * 4, [s.status for s in streams])
        refused = EventStream(daemon)
        check(refused.status == 503, refused.status)
        refused.close()
        streams.pop().close()
        deadline = time.monotonic() + 10
        while (extra := EventStream(daemon)).status != 200 and time.monotonic() < deadline:
            extra.close()  # the closed client's place frees once the server notices it is gone
            time.sleep(0.05)
        check(extra.status == 200, "a closed client's place stays taken")
        check(daemon.get("/redfish/v1")["Id"] == "RootService", "requests served beside the streams")
    # Daemon.__exit__ checked that it stopped (exit 0) with five clients connected.


def case_event_subscription():
    """A subscription gets each event by POST to its destination: the first attempt is refused
    and the retry delivers it, with the subscription's Context. Creating needs ConfigureManager;
    bad bodies answer 400; DELETE ends it."""
    import http.server
    import threading
    import time
    received = []

    class Listener(http.server.BaseHTTPRequestHandler):
        def do_POST(self):
            body = self.rfile.read(int(self.headers["Content-Length"]))
            received.append((self.path, json.loads(body)))
            self.send_response(500 if len(received) == 1 else 204)  # the first delivery fails
            self.end_headers()

        def log_message(self, *args):
            pass

    listener = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Listener)
    threading.Thread(target=listener.serve_forever, daemon=True).start()
    destination = f"http://127.0.0.1:{listener.server_address[1]}/events"
    path = scenario_file([{"at": 2000, "node": 0, "event": "fan", "fan": 2}])
    try:
        with Daemon(users_file(), scenario=path) as daemon:
            subscriptions = "/redfish/v1/EventService/Subscriptions"
            body = {"Destination": destination, "Protocol": "Redfish", "Context": "rack 7",
                    "RegistryPrefixes": ["SensorEvent"]}
            for user in ("viewer", "operator"):
                check(daemon.request(subscriptions, user=user, method="POST", body=body)[0] == 403, user)
            for bad, message in (({"Destination": "ftp://x/"}, "PropertyValueFormatError"),
                                 ({"Destination": "http:///x"}, "PropertyValueFormatError"),
                                 ({"Context": "x"}, "PropertyMissing"),
                                 ({"Destination": destination, "Protocol": "SNMPv2c"}, "PropertyValueNotInList"),
                                 ({"Destination": destination, "EventTypes": ["Nope"]}, "PropertyValueNotInList"),
                                 ({"Destination": destination, "Colour": 1}, "PropertyUnknown"),
                                 (b"[", "MalformedJSON")):
                status, doc, _ = daemon.request(subscriptions, method="POST", body=bad)
                check(status == 400 and doc["error"]["@Message.ExtendedInfo"][0]["MessageId"].endswith(message),
                      (bad, status, doc))
            status, doc, headers = daemon.request(subscriptions, method="POST", body=body)
            check(status == 201 and headers["Location"] == doc["@odata.id"], (status, doc, dict(headers)))
            member = daemon.get(headers["Location"])
            check(member["Destination"] == destination and member["Context"] == "rack 7", member)
            check(daemon.get(subscriptions)["Members"] == [{"@odata.id": headers["Location"]}], "collection")
            deadline = time.monotonic() + 20
            while len(received) < 2 and time.monotonic() < deadline:
                time.sleep(0.02)
            check(len(received) == 2, f"{len(received)} deliveries")
            check(received[0][1] == received[1][1] and received[1][0] == "/events", received)
            record = received[1][1]
            check(record["Context"] == "rack 7", record)
            event = record["Events"][0]
            check(event["MessageId"] == "SensorEvent.1.0.0.ReadingCritical" and
                  event["OriginOfCondition"]["@odata.id"] == "/redfish/v1/Chassis/0/Sensors/Fan2", event)
            check(daemon.request(headers["Location"], method="DELETE")[0] == 204, "DELETE")
            check(daemon.request(headers["Location"])[0] == 404, "deleted subscription still there")
    finally:
        listener.shutdown()


def case_network_interface():
    """PATCH of an SP interface's static address and DHCP switch reaches the SP (yatctl reads it
    through the same yat-spd); bad values answer 400 and change nothing."""
    if not os.path.exists(YATCTL):
        print("yatctl is not built: skipped")
        sys.exit(SKIP)
    with spd_socket() as comm:
        with Daemon(users_file(), comm=comm) as daemon:
            path = "/redfish/v1/Managers/0/EthernetInterfaces/1"
            static = {"Address": "10.1.2.3", "SubnetMask": "255.255.0.0", "Gateway": "10.1.0.1"}
            check(daemon.request(path, user="operator", method="PATCH", body={"IPv4StaticAddresses": [static]})[0]
                  == 403, "an Operator changed the SP's address")
            status, doc, _ = daemon.request(path, method="PATCH", body={"IPv4StaticAddresses": [static]})
            check(status == 200 and doc["IPv4StaticAddresses"] == [static], (status, doc))
            nic = yatctl_json("--comm", comm, "network", "--node", "0", "--interface", "1")["nodes"][0]["interfaces"][0]
            check((nic["address"], nic["mask"], nic["gateway"]) == ("10.1.2.3", "255.255.0.0", "10.1.0.1"), nic)
            for body, message in (({"IPv4StaticAddresses": [dict(static, Address="10.1.2.300")]}, "PropertyValueFormatError"),
                                  ({"IPv4StaticAddresses": [dict(static, SubnetMask="255.0.255.0")]}, "PropertyValueFormatError"),
                                  ({"IPv4StaticAddresses": [dict(static, Gateway="10.01.0.1")]}, "PropertyValueFormatError"),
                                  ({"IPv4StaticAddresses": [static, static]}, "PropertyValueFormatError"),
                                  ({"IPv4StaticAddresses": [{"Address": 10}]}, "PropertyValueTypeError"),
                                  ({"DHCPv4": {"DHCPEnabled": "yes"}}, "PropertyValueTypeError"),
                                  ({"IPv4Addresses": [static]}, "PropertyNotWritable"),
                                  ({"SpeedMbps": 100}, "PropertyUnknown")):
                status, doc, _ = daemon.request(path, method="PATCH", body=body)
                check(status == 400 and doc["error"]["@Message.ExtendedInfo"][0]["MessageId"].endswith(message),
                      (body, status, doc))
            check(daemon.get(path)["IPv4Addresses"][0]["Address"] == "10.1.2.3", "a refused PATCH changed it")
            status, doc, _ = daemon.request(path, method="PATCH", body={"DHCPv4": {"DHCPEnabled": True}})
            check(status == 200 and doc["DHCPv4"]["DHCPEnabled"] is True, doc)
            nic = yatctl_json("--comm", comm, "network", "--node", "0", "--interface", "1")["nodes"][0]["interfaces"][0]
            check(nic["dhcp"] == "on", nic)


def case_network_protocol():
    """NetworkProtocol shows the SP's ports and SNMP agent switch as yatctl reads them, takes new
    ports and the agent switch, and refuses what the SP cannot set."""
    ports, snmp = yatctl_json("ports", "--node", "1"), yatctl_json("snmp", "--node", "1")
    if ports is None:
        print("yatctl is not built: skipped")
        sys.exit(SKIP)
    with Daemon(users_file()) as daemon:
        path = "/redfish/v1/Managers/1/NetworkProtocol"
        doc = daemon.get(path)
        names = {"HTTP": "HTTP", "HTTPS": "HTTPS", "Telnet": "Telnet", "SSH": "SSH", "SNMP agent": "SNMP"}
        for row in ports["nodes"][0]["ports"]:
            if row["name"] in names:
                check(doc[names[row["name"]]]["Port"] == row["port"], (doc, row))
        agent = snmp["nodes"][0]["agent"]
        check(doc["SNMP"]["ProtocolEnabled"] == agent["v1Enabled"], (doc, agent))
        check("Community" not in json.dumps(doc), "community names shown")
        status, doc, _ = daemon.request(path, method="PATCH",
                                        body={"SNMP": {"ProtocolEnabled": not agent["v1Enabled"]}, "SSH": {"Port": 2222}})
        check(status == 200 and doc["SNMP"]["ProtocolEnabled"] != agent["v1Enabled"] and doc["SSH"]["Port"] == 2222,
              (status, doc))
        for body, message in (({"HTTP": {"Port": 70000}}, "PropertyValueOutOfRange"),
                              ({"HTTP": {"Port": "80"}}, "PropertyValueTypeError"),
                              ({"HTTP": {"ProtocolEnabled": False}}, "PropertyNotWritable"),
                              ({"SNMP": {"ProtocolEnabled": True, "EnableSNMPv1": False}}, "PropertyValueConflict"),
                              ({"NTP": {"Port": 123}}, "PropertyUnknown")):
            status, doc, _ = daemon.request(path, method="PATCH", body=body)
            check(status == 400 and doc["error"]["@Message.ExtendedInfo"][0]["MessageId"].endswith(message),
                  (body, status, doc))
        check(daemon.request(path, user="operator", method="PATCH", body={"SSH": {"Port": 22}})[0] == 403, "Operator")
        check(daemon.get(path)["HTTP"]["Port"] == ports["nodes"][0]["ports"][0]["port"], "a refused PATCH changed it")


globals()["case_" + CASE.replace("-", "_")]()
shutil.rmtree(WORK, ignore_errors=True)
