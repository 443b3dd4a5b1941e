#pragma once
// Checks every numeric option of yatctl takes before CLI11 converts it: CLI11 reads an empty text as
// 0 (so `--node ""` would mean node 0) and accepts "nan" and "inf" for floating-point options (which
// pass any range check).

namespace CLI {
class App;
}

namespace yatctl {

// Adds to every integer and floating-point option of app and of its subcommands, at any depth, a
// check that refuses an empty text, and to the floating-point ones one that refuses NaN and the
// infinities. Call after all options are added.
void checkNumberOptions(CLI::App& app);

}  // namespace yatctl
