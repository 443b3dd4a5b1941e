#include "yatctl/man_page.h"

#include <CLI/CLI.hpp>

#include "yat/version.h"

namespace yatctl {

namespace {

// Text for a man page line: backslashes doubled, minus signs as \-, and a line that would start
// with a control character ('.' or '\'') protected by \&.
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-') {
            out += "\\-";
        } else if (c == '\n') {
            out += "\n";
        } else {
            out += c;
        }
    }
    std::string protectedOut;
    bool lineStart = true;
    for (char c : out) {
        if (lineStart && (c == '.' || c == '\'')) protectedOut += "\\&";
        protectedOut += c;
        lineStart = c == '\n';
    }
    return protectedOut;
}

bool shown(const CLI::Option* option) { return !option->get_group().empty(); }

// One option: ".TP" with its names and value type, then its description.
std::string optionEntry(const CLI::Option* option) {
    if (!option->nonpositional()) {
        return ".TP\n.I " + escaped(option->get_name(true)) + "\n" + escaped(option->get_description()) + "\n";
    }
    std::string names = option->get_name(false, true);
    for (size_t comma = names.find(','); comma != std::string::npos; comma = names.find(',', comma + 2)) {
        names.insert(comma + 1, " ");
    }
    std::string type = option->get_expected_min() > 0 ? option->get_type_name() : "";
    std::string entry = type.empty() ? ".TP\n.B " + escaped(names) + "\n"
                                     : ".TP\n.BI \"" + escaped(names) + "\" \" " + escaped(type) + "\"\n";
    return entry + escaped(option->get_description()) + "\n";
}

// A subcommand (and those below it): its path as a heading, its description, its options.
std::string subcommandEntry(const CLI::App* sub, const std::string& path) {
    std::string text = ".SS " + escaped(path) + "\n" + escaped(sub->get_description()) + "\n";
    for (const CLI::Option* option : sub->get_options()) {
        if (shown(option) && option->get_name() != "--help") text += optionEntry(option);
    }
    for (const CLI::App* below : sub->get_subcommands([](const CLI::App*) { return true; })) {
        text += subcommandEntry(below, path + " " + below->get_name());
    }
    return text;
}

constexpr const char* kDescription = R"(.SH DESCRIPTION
.B yatctl
is a host program for libyat. It loads
.B libyat.so
with
.BR dlopen (3)
as a host agent does, opens it over the simulator's comm device and shows what the library reports,
as tables or, with
.BR \-\-json ,
as one JSON document. Every subcommand lists its own options with
.BR "yatctl \fISUBCOMMAND\fB \-\-help" .
)";

constexpr const char* kNodes = R"(.SH NODE NUMBERING
Every table, every JSON object,
.B \-\-node
and
.B monitor
number the nodes of the server from 0, as the library's node operations take them. The library's
sensor operations and its sensor sink key a sensor by node + 1 (the multi-node ID + 1 on systems of
more than two nodes); yatctl converts at that one place, and its JSON keeps the library's value as
.B sensorKeyNode
where it differs. Sensors are named from their class, location and instance
("CPU 1 temperature", "Fan 3", "Power supply 1"), the same names the exporter's labels carry.
)";

constexpr const char* kExporter = R"(.SH EXPORTER
.B "yatctl exporter"
serves the live sensor model as Prometheus metrics on /metrics (default 127.0.0.1:9464, prefix yat,
sensors read every 5 s, the event log counted every 300 s) until SIGTERM or SIGINT, then exits 0.
An address that is not a numeric IPv4 address or a bracketed IPv6 one, a bad port or a port in use
exits 2. Only GET and HEAD of /metrics and of / (a page linking /metrics) are answered; slow clients
cannot hold up a scrape. Node labels number nodes from 0, as \-\-node does. The registry texts that
let the library recognise sensors seen before (a fan standing still at start) are kept in
\-\-state\-dir (default $STATE_DIRECTORY, which the unit sets). Started by systemd, it reports
readiness once it serves and feeds the watchdog after each refresh, refreshing at least every half
WatchdogSec; the unit yat\-exporter.service runs it.
)";

constexpr const char* kExit = R"(.SH EXIT STATUS
0 on success, 1 when a library operation failed or the library could not be used, 2 for a usage or
scenario error (an argument out of its range is refused before anything is sent, naming the range).
.B "sensors \-\-check"
exits 0 when every sensor is nominal, 1 on a warning and 2 on a critical sensor, a failed supply, a
stopped fan or a node that answered nothing.
)";

constexpr const char* kEnvironment = R"(.SH ENVIRONMENT
.TP
.B YAT_STDOUT
Where the library's progress lines go; yatctl sets it to off unless
.B \-\-verbose
is given, and
.B YAT_STDOUT=log
sends them to libyat.log.
.TP
.B YAT_LOG_DIR\fR, \fBYAT_LOG_MAX_BYTES\fR, \fBYAT_LOG
Where and how libyat writes libyat.log
.RB ( \-\-log\-dir
sets YAT_LOG_DIR).
.TP
.B YAT_ROOT_DIR
Product root folder; the LED panel description is read below it. Without it yatctl writes the
scenario's panel into a temporary folder for the run.
.TP
.B YAT_SLEEP_SCALE
Factor applied to every wait of the library and the simulator, 0.0001 to 10 (outside: 1).
.TP
.B STATE_DIRECTORY
The state folder of
.B exporter
when
.B \-\-state\-dir
is not given (the service manager sets it for yat\-exporter.service).
.TP
.B XDG_STATE_HOME\fR, \fBHOME
The default state folder of
.B sensors
is $XDG_STATE_HOME/libyat, else ~/.local/state/libyat.
.TP
.B TZ
The time zone of
.BR "sel \-\-local" .
)";

constexpr const char* kFiles = R"(.SH FILES
.TP
.I libyat.so
The library: beside yatctl (or one or two folders up in a build tree), else the installed
libyat.so.N found through yatctl's run path;
.B \-\-lib
names another.
.TP
.I $XDG_STATE_HOME/libyat/registry\-data.reg
The registry texts a host keeps between runs (the fans once seen), written by
.BR sensors ;
.B \-\-state\-dir
names another folder. A link or a FIFO in its place is neither followed nor waited on.
.TP
.I /usr/share/yatctl/yat\-alerts.yml
Alert rules for Prometheus over the exporter's metrics.
.TP
.I libyat.log
The library's log, in the folder of
.B \-\-log\-dir
(YAT_LOG_DIR).
)";

}  // namespace

std::string manPage(const CLI::App& app) {
    std::string page = ".TH YATCTL 1 \"\" \"libyat " YAT_VERSION_TEXT "\" \"User Commands\"\n";
    page += ".SH NAME\nyatctl \\- show what libyat reports about a (simulated) server\n";
    page += ".SH SYNOPSIS\n.B yatctl\n.RI [ OPTIONS ]\n.I SUBCOMMAND\n.RI [ \"SUBCOMMAND OPTIONS\" ]\n";
    page += kDescription;
    page += ".SH OPTIONS\n";
    for (const CLI::Option* option : app.get_options()) {
        if (shown(option)) page += optionEntry(option);
    }
    page += ".SH SUBCOMMANDS\n";
    for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
        page += subcommandEntry(sub, sub->get_name());
    }
    page += kNodes;
    page += kExporter;
    page += kExit;
    page += kEnvironment;
    page += kFiles;
    return page;
}

}  // namespace yatctl
