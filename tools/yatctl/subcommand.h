#pragma once
// A yatctl subcommand. Adding one: write tools/yatctl/<name>_command.cpp with a class derived from
// Subcommand and a make<Name>Command() function, and add one line to makeSubcommands()
// (subcommands.cpp). A subcommand that has something for the one-screen `report` also overrides
// addToReport.

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace yatctl {

using Document = nlohmann::ordered_json;
class Session;

class Subcommand {
public:
    virtual ~Subcommand() = default;

    virtual std::string name() const = 0;
    virtual std::string description() const = 0;
    // Adds the subcommand's own options to its CLI11 app.
    virtual void addOptions(CLI::App& app) { (void)app; }
    // Checks option values that CLI11 cannot; throws UsageError (session.h). Runs before the library
    // is loaded.
    virtual void validate(Session& session) { (void)session; }
    // Fills doc with what the subcommand shows. Library results go through Session::check.
    virtual void run(Session& session, Document& doc) = 0;
    // True when the subcommand prints its own output as it runs (doc is then not printed).
    virtual bool streams() const { return false; }
    // Adds this subcommand's compact view to the report document.
    virtual void addToReport(Session& session, Document& doc) { (void)session, (void)doc; }
};

// Every subcommand, in the order of the help text and of the report.
std::vector<std::unique_ptr<Subcommand>> makeSubcommands();

std::unique_ptr<Subcommand> makeInfoCommand();
std::unique_ptr<Subcommand> makeVpdCommand();
std::unique_ptr<Subcommand> makeMonitorCommand();
std::unique_ptr<Subcommand> makeRawCommand();
std::unique_ptr<Subcommand> makeSensorsCommand();
std::unique_ptr<Subcommand> makeEventsCommand();
std::unique_ptr<Subcommand> makeHealthCommand();
std::unique_ptr<Subcommand> makeLedsCommand();
std::unique_ptr<Subcommand> makeBluelightCommand();
std::unique_ptr<Subcommand> makeSelCommand();
std::unique_ptr<Subcommand> makeNetworkCommand();
std::unique_ptr<Subcommand> makePortsCommand();
std::unique_ptr<Subcommand> makeSmtpCommand();
std::unique_ptr<Subcommand> makeSnmpCommand();
std::unique_ptr<Subcommand> makeAlertsCommand();
std::unique_ptr<Subcommand> makeAccountsCommand();
std::unique_ptr<Subcommand> makePasswordPolicyCommand();
std::unique_ptr<Subcommand> makeLoginPolicyCommand();
std::unique_ptr<Subcommand> makeExporterCommand();
std::unique_ptr<Subcommand> makeReportCommand(const std::vector<Subcommand*>& parts);

}  // namespace yatctl
