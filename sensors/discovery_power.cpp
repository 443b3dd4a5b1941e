// Discovery of the power supplies of every node. The power status command "f.5.1" tells whether the
// SP watches the supplies; its present-supplies byte ("normals") names the supplies installed. When
// the byte names none, each supply is looked for through its VPD instead. A node's supplies are looked
// at twice: a counting pass, then (only when it found at least two) an adding pass.

#include "sensors/discovery_steps.h"
#include "yat/bus_comm.h"
#include "platform/log.h"
#include "sensors/sensor_classes.h"
#include "sensors/sensor_commands.h"
#include "sensors/sensor_decoders.h"
#include "sensors/sensor_vpd.h"
#include "sensors/sensor_wire.h"
#include "sysinfo/vpd_command.h"
#include "sensors/log_texts.h"

namespace yat::discovery {

namespace {

// What one look at a supply found.
enum class Supply {
    kNone,        // nothing: not named by the present byte and no VPD
    kFoundByVpd,  // no present byte for the node; the supply has VPD
    kInstalled,   // named by the present byte
    kVpdOnly,     // not named by the present byte, but it has VPD: stored, not monitored
};

// One node's supplies.
struct NodeSupplies {
    cBusComm* comm;
    cSensorSink* sink;
    cPowerInstance* power;
    int32_t nodeIndex;
    int32_t nodeBase;
    uint8_t present;               // the present-supplies byte; 0: the supplies are found by VPD
    bool secondPowerFlag = false;  // more than one normal supply on the node

    // Looks at supply s (0-based) and logs what it finds.
    Supply look(int32_t s) const {
        int32_t mask = 1 << s;
        yatLog(kVpdTag, sensors_texts::kCheckingPwrBufferAgainstCheckingNumber, static_cast<unsigned>(present), mask);
        if (present == 0) {
            SensorVpdRead vpd = readSensorVpd(comm, nodeIndex, kVPDKindPowerSupply, s + 1);
            if (vpd.sentOk()) {
                yatLog(kVpdTag, sensors_texts::kTheCommandSucceededForAndHas, s + 1, statusByte(vpd.status));
            }
            return vpd.present() ? Supply::kFoundByVpd : Supply::kNone;
        }
        if ((present & mask) != 0) return Supply::kInstalled;
        yatLog(kChipTag, sensors_texts::kInTheElsePartOfNumber);
        SensorVpdRead vpd = readSensorVpd(comm, nodeIndex, kVPDKindPowerSupply, s + 1);
        if (vpd.sentOk()) {
            yatLog(kVpdTag, sensors_texts::kGettingVPDPowerSupplyForSucceeded, s + 1, statusByte(vpd.status));
        }
        return vpd.present() ? Supply::kVpdOnly : Supply::kNone;
    }

    // Stores supply s as what look found; the monitored ones are announced to the sink.
    void add(int32_t s, Supply found) const {
        switch (found) {
            case Supply::kNone: return;
            case Supply::kFoundByVpd:
                power->addPowerSupply(nodeBase, s,
                                      {.nodeIndex = nodeIndex,
                                       .normalsSupported = false,
                                       .secondPowerFlag = true,
                                       .comm = comm,
                                       .sink = sink});
                return;
            case Supply::kInstalled:
                yatLog(kVpdTag, sensors_texts::kAddingInstalledPowerSupply, s);
                power->addPowerSupply(
                    nodeBase, s,
                    {.nodeIndex = nodeIndex, .secondPowerFlag = secondPowerFlag, .comm = comm, .sink = sink});
                return;
            case Supply::kVpdOnly:
                yatLog(kVpdTag, sensors_texts::kAddingPowerSupply, s);
                power->addPowerSupply(nodeBase, s,
                                      {.nodeIndex = nodeIndex, .secondPowerFlag = secondPowerFlag, .valid = false});
                return;
        }
    }
};

// The supplies of node i; a node whose power status cannot be sent has none.
void discoverNodeSupplies(cBusComm* comm, cSensorSink* sink, int32_t i, int32_t nodeBase, cPowerInstance* power) {
    cSPPowerStatusCmd gauge;
    gauge.buildCommand();
    if (gauge.send(comm, i) != ERR_SUCCESS) return;
    yatLog(kGaugeTag, sensors_texts::kFuelGaugeSupported);
    // An answer the SP rejected, or one without data, names no supply.
    uint8_t present = 0;
    if (gauge.answerOk()) {
        ByteReader data = gauge.answerReader();
        present = powerPresentByte(data.data(), data.size());
    }
    if (present == 0) {
        yatLog(kGaugeTag, sensors_texts::kFuelGaugeSupportedButNoPwrnormals);
    } else {
        yatLog(kGaugeTag, sensors_texts::kFuelGaugeSupportedWithPwrnormals);
    }
    NodeSupplies supplies{comm, sink, power, i, nodeBase, present};

    // Counting: the supplies found, and how many of them are normal (found by VPD or installed).
    int32_t candidates = 0;
    int32_t normals = 0;
    for (int32_t s = 0; s < sensorwire::kMaxPowerSupplies; ++s) {
        Supply found = supplies.look(s);
        if (found == Supply::kNone) continue;
        ++candidates;
        if (found != Supply::kVpdOnly) ++normals;
    }
    yatLog(kTotalsTag, sensors_texts::kTheTotalNumberOfPowerSupplies, candidates);
    if (candidates < 2) return;  // one supply alone is not monitored

    // Adding: every supply looked at again and stored; the pass counts nothing, and its total says 0.
    supplies.secondPowerFlag = normals > 1;
    for (int32_t s = 0; s < sensorwire::kMaxPowerSupplies; ++s) supplies.add(s, supplies.look(s));
    yatLog(kTotalsTag, sensors_texts::kTheTotalNumberOfPowerSupplies, 0);
}

}  // namespace

void discoverPowerSupplies(cBusComm* comm, cSensorSink* sink, NodeBases& bases, const SilentNodes& silent,
                           cPowerInstance* power) {
    yatLog(kVpdTag, sensors_texts::kDoingPowersupplyStuff);
    for (int32_t i = 0; static_cast<uint32_t>(i) < comm->getNodeCount(); ++i) {
        if (silent.count(i) != 0) continue;
        discoverNodeSupplies(comm, sink, i, bases.of(i, comm->getNodeCount()), power);
    }
    yatLog(kTotalsTag, sensors_texts::kTheTotalNumberOfPowerSupplies2, power->elementCount());
    if (power->elementCount() >= 2) {
        yatLog(kVpdTag, sensors_texts::kTheNumberOfPowerSuppliesIs);
    } else {
        yatLog(kVpdTag, sensors_texts::kTheNumberOfPowerSuppliesIs2);
    }
}

}  // namespace yat::discovery
