"""Reads a yat-redfishd with Debian's sushy, the Redfish library of OpenStack's bare-metal service, as a
fleet manager would, and prints what it read as one JSON document for check_redfishd.py to compare
with the scenario. Sets the chassis locator light to LIT first when asked (--blink).

Runs under the system Python (/usr/bin/python3), where Debian installs python3-sushy.
Usage: sushy_client.py BASE_URL USER PASSWORD [--blink]
"""
import json
import sys

import sushy

base, user, password = sys.argv[1:4]
blink = "--blink" in sys.argv[4:]

root = sushy.Sushy(base + "/redfish/v1", username=user, password=password, verify=False)
seen = {"systems": [], "chassis": [], "managers": []}

for member in root.get_system_collection().get_members():
    seen["systems"].append({"id": member.identity, "power_state": str(member.power_state),
                            "health": str(member.status.health) if member.status else None})

for member in root.get_chassis_collection().get_members():
    if blink:
        member.set_indicator_led(sushy.INDICATOR_LED_LIT)
        member.refresh()
    thermal, power = member.thermal, member.power
    seen["chassis"].append({
        "id": member.identity,
        "indicator_led": str(member.indicator_led),
        "temperatures": {t.name: t.reading_celsius for t in thermal.temperatures},
        "fans": {f.name: f.reading for f in thermal.fans},
        "supplies": sorted(p.name for p in power.power_supplies),
    })

for member in root.get_manager_collection().get_members():
    seen["managers"].append({"id": member.identity, "firmware": member.firmware_version})

print(json.dumps(seen))
