#pragma once
// yatctl's manual page, made from the program's own options and subcommands (their CLI11 names and
// descriptions) and the sections the options do not carry: node numbering, exit status, environment,
// files. The build writes it with `yatctl --man` and installs it, so it never lags the program.

#include <string>

namespace CLI {
class App;
}

namespace yatctl {

// The page in man(7) markup.
std::string manPage(const CLI::App& app);

}  // namespace yatctl
