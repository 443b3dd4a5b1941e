#pragma once
// Checked access to one field of a scenario document. Every accessor names the field by its path
// ("nodes[1].system.watchdogs.post") when the value is missing or has the wrong kind or range, so a
// user sees which field of which file is wrong and what was expected.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <nlohmann/json_fwd.hpp>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/dotted.h"

namespace yatsim {

// A scenario that cannot be used: the file is missing or not JSON, or a field is wrong. what() is one
// line: "<source>: <field>: expected <what>" (parts that are unknown are left out).
class ScenarioError : public std::runtime_error {
public:
    ScenarioError(std::string source, std::string field, std::string expected);

    const std::string& source() const { return source_; }
    const std::string& field() const { return field_; }
    const std::string& expected() const { return expected_; }
    // The same error, reported against the named file or text.
    ScenarioError withSource(const std::string& source) const { return ScenarioError(source, field_, expected_); }

private:
    std::string source_;
    std::string field_;
    std::string expected_;
};

// A view of one value of a parsed document (or of a value that is absent) and its path. The document
// must outlive the view. Accessors throw ScenarioError. The path text is made only when it is asked
// for (a message, or a member's or element's path): a large document asks for millions of fields
// and names almost none of them.
class Field {
public:
    Field(const nlohmann::json* value, std::string path);

    // True when the value exists and is not null.
    bool present() const;
    const std::string& path() const;
    const nlohmann::json* json() const { return value_; }

    // A member of an object; absent when this value is absent. The value must be an object if present.
    Field operator[](std::string_view key) const;
    // Number of elements of an array (0 when absent). The value must be an array if present.
    size_t size() const;
    // An element of an array (index below size()).
    Field at(size_t index) const;

    // Requires an object (when present) whose members are all among allowed.
    void expectObject(std::initializer_list<std::string_view> allowed) const;
    // Requires an object (when present); returns its member names in document order.
    std::vector<std::string> keys() const;

    // An unsigned integer in [min, max]: a JSON number, or a text "0x..." in hexadecimal. The first
    // form is required, the second gives fallback when the value is absent.
    uint64_t integer(uint64_t min, uint64_t max) const;
    uint64_t integer(uint64_t min, uint64_t max, uint64_t fallback) const;
    // A number in [min, max], or fallback when absent.
    double number(double min, double max, double fallback) const;
    bool flag(bool fallback) const;
    // A text of at most maxLength characters (printable ASCII).
    std::string text(size_t maxLength) const;
    std::string text(size_t maxLength, const std::string& fallback) const;
    // A hexadecimal text of at most maxBytes bytes (two digits per byte, blanks allowed).
    Bytes hex(size_t maxBytes) const;
    // A dotted command ("4.3.5.2.1").
    Bytes dotted() const;

    // Throws a ScenarioError for this field.
    [[noreturn]] void fail(const std::string& expected) const;

private:
    using Path = std::shared_ptr<const std::string>;
    // A member or element of the value whose path is base: its path is base followed by tail.
    Field(const nlohmann::json* value, Path base, std::string tail);
    const Path& sharedPath() const;

    const nlohmann::json* value_;
    Path base_;
    std::string tail_;   // ".key" or "[index]": short enough to need no allocation mostly
    mutable Path path_;  // base_ and tail_ joined, made on first use
};

}  // namespace yatsim
