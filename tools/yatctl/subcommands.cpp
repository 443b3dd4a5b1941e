#include "yatctl/subcommand.h"

namespace yatctl {

std::vector<std::unique_ptr<Subcommand>> makeSubcommands() {
    std::vector<std::unique_ptr<Subcommand>> commands;
    commands.push_back(makeInfoCommand());
    commands.push_back(makeMonitorCommand());
    commands.push_back(makeVpdCommand());
    commands.push_back(makeSensorsCommand());
    commands.push_back(makeEventsCommand());
    commands.push_back(makeHealthCommand());
    commands.push_back(makeLedsCommand());
    commands.push_back(makeBluelightCommand());
    commands.push_back(makeSelCommand());
    commands.push_back(makeNetworkCommand());
    commands.push_back(makePortsCommand());
    commands.push_back(makeSmtpCommand());
    commands.push_back(makeRawCommand());
    commands.push_back(makeSnmpCommand());
    commands.push_back(makeAlertsCommand());
    commands.push_back(makeAccountsCommand());
    commands.push_back(makePasswordPolicyCommand());
    commands.push_back(makeLoginPolicyCommand());
    commands.push_back(makeExporterCommand());
    // The report shows every subcommand above that has a report view; it goes last.
    std::vector<Subcommand*> parts;
    for (const auto& command : commands) parts.push_back(command.get());
    commands.push_back(makeReportCommand(parts));
    return commands;
}

}  // namespace yatctl
