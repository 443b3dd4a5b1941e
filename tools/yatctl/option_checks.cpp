#include "yatctl/option_checks.h"

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdlib>
#include <string>

namespace yatctl {

void checkNumberOptions(CLI::App& app) {
    for (CLI::Option* option : app.get_options()) {
        if (option->get_type_size() == 0) continue;  // a flag
        // "FLOAT", or "FLOAT:FLOAT in [0.001 - 10]" once a range is checked.
        const std::string type = option->get_type_name().substr(0, option->get_type_name().find(':'));
        const bool floating = type == "FLOAT";
        if (type != "INT" && type != "UINT" && !floating) continue;
        option->check(CLI::Validator(
            [floating](std::string& text) -> std::string {
                if (text.empty()) return "expected a number, got an empty text";
                if (floating) {
                    char* end = nullptr;
                    double value = std::strtod(text.c_str(), &end);
                    if (end != text.c_str() + text.size() || !std::isfinite(value)) {
                        return "expected a finite number, got " + text;
                    }
                }
                return std::string();
            },
            "", ""));
    }
    for (CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) checkNumberOptions(*sub);
}

}  // namespace yatctl
