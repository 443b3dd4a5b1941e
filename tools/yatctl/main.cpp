// yatctl: a host program for libyat. It loads the library with dlopen, opens it with the simulator's
// comm device and shows what the library reports. Exit status: 0 success, 1 a library operation
// failed, 2 usage or scenario error (with a one-line message on stderr).

#include <CLI/CLI.hpp>
#include <iostream>

#include "sim/json_field.h"
#include "yatctl/man_page.h"
#include "yatctl/option_checks.h"
#include "yatctl/render.h"
#include "yatctl/session.h"
#include "yatctl/subcommand.h"
#include "yatctl/version_text.h"

namespace {

int fail(int status, const std::string& message) {
    std::cerr << "yatctl: " << message << "\n";
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace yatctl;
    CLI::App app{"yatctl: shows what libyat reports about a (simulated) server", "yatctl"};
    app.set_version_flag("--version", versionText(), "Print the versions of yatctl and libyat and the comm device");
    app.require_subcommand(1, 1);
    app.fallthrough();
    GlobalOptions options;
    app.add_option("--scenario", options.scenarioFile, "Scenario file (JSON); default: the built-in two-node server");
    app.add_option("--comm", options.comm, yatcomm::kCommHelp);
    app.add_option("--lib", options.libraryPath, "Path of libyat.so; default: beside yatctl");
    app.add_option("--log-dir", options.logDir, "Folder for libyat.log (sets YAT_LOG_DIR)");
    app.add_flag("--json", options.json, "Print one JSON document instead of tables");
    app.add_flag("--verbose", options.verbose,
                 "Let the library print its progress lines on standard output (otherwise YAT_STDOUT=off)");

    std::vector<std::unique_ptr<Subcommand>> commands = makeSubcommands();
    std::vector<std::pair<CLI::App*, Subcommand*>> apps;
    for (const auto& command : commands) {
        CLI::App* sub = app.add_subcommand(command->name(), command->description());
        command->addOptions(*sub);
        apps.emplace_back(sub, command.get());
    }
    checkNumberOptions(app);
    // The manual page, made from the options above (the build writes and installs it).
    app.add_flag_callback("--man", [&app] { throw CLI::CallForVersion(manPage(app), 0); })->group("");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        if (error.get_exit_code() == 0) return app.exit(error);  // --help
        std::vector<std::string> extra = app.remaining();
        bool unknown = !extra.empty() && (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr ||
                                          dynamic_cast<const CLI::RequiredError*>(&error) != nullptr);
        bool missing = dynamic_cast<const CLI::RequiredError*>(&error) != nullptr;
        if (app.get_subcommands().empty() && (unknown || missing)) {
            // No subcommand was recognised: name the word taken for one and list them all.
            std::string names;
            for (const auto& command : commands) names += (names.empty() ? "" : ", ") + command->name();
            std::string what = !unknown ? std::string("no subcommand")
                                        : "unknown subcommand '" + yatsim::printableExcerpt(extra.front(), 40) + "'";
            return fail(kExitUsage, what + "; subcommands: " + names + " (see yatctl --help)");
        }
        return fail(kExitUsage, std::string(error.what()) + " (see yatctl --help)");
    }
    Subcommand* chosen = nullptr;
    for (const auto& [sub, command] : apps) {
        if (sub->parsed()) chosen = command;
    }
    if (chosen == nullptr) return fail(kExitUsage, "no subcommand (see yatctl --help)");

    try {
        Session session(options);
        chosen->validate(session);
        Document doc = Document::object();
        chosen->run(session, doc);
        if (chosen->streams()) {
            // printed while it ran
        } else if (options.json) {
            std::cout << renderJson(doc);
        } else {
            std::cout << renderText(doc);
        }
        std::cout.flush();
        return session.exitStatus();
    } catch (const yatsim::ScenarioError& error) {
        return fail(kExitUsage, std::string("scenario ") + error.what());
    } catch (const UsageError& error) {
        return fail(kExitUsage, error.what());
    } catch (const LibraryError& error) {
        return fail(kExitFailed, error.what());
    } catch (const std::exception& error) {
        return fail(kExitFailed, error.what());
    }
}
