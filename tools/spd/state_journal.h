#pragma once
// StateJournal: what clients changed on the simulated SPs, kept in a file so that a restarted daemon
// starts where the last one ended. Every set request the SP accepted (network, ports, SMTP, alerts,
// SNMP, recipients, accounts, policies, event log erase, locator light, ...) is kept by node and
// command: a later write of the same command replaces the earlier one and moves to the end, so the
// file stays as small as the set of settings changed and replaying it in order gives the same state.
//
// The file is JSON ({"format":1,"writes":[{"node":0,"request":"<hex of the request>"}]}), rewritten
// whole after each change: a temporary file beside it (mode 0600: it holds account passwords),
// fsync, rename over the old one, fsync of the folder. A crash leaves the old or the new file, never
// a mix.
//
// Not thread-safe: the daemon serialises record calls.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace yatsim {
class SimBusComm;
}

namespace yatspd {

class StateJournal {
public:
    struct Write {
        int32_t node = 0;
        std::vector<uint8_t> request;  // header, command bytes and data (as long as the request says)
    };

    explicit StateJournal(std::string path) : path_(std::move(path)) {}

    // Reads the file; a missing file is an empty journal. Throws std::runtime_error with the reason
    // for a file that cannot be read or is not a journal.
    void load();
    // The writes in replay order.
    const std::vector<Write>& writes() const { return writes_; }
    // Adds a write (the 4096-byte request buffer) and saves; false with the reason in why when the file
    // could not be written (the journal in memory has the write all the same).
    bool record(int32_t node, const uint8_t* request, std::string& why);

    // Sends the writes to sim in order; returns how many it refused (another scenario's SPs).
    size_t replay(yatsim::SimBusComm& sim) const;

    const std::string& path() const { return path_; }

private:
    bool save(std::string& why) const;

    std::string path_;
    std::vector<Write> writes_;
};

}  // namespace yatspd
