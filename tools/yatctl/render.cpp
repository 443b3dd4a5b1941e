#include "yatctl/render.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <sstream>
#include <utility>
#include <vector>

#include "yatctl/session.h"

namespace yatctl {

namespace {

bool isScalar(const Document& value) { return !value.is_object() && !value.is_array(); }

bool isScalarArray(const Document& value) {
    return value.is_array() && std::all_of(value.begin(), value.end(), [](const Document& v) { return isScalar(v); });
}

bool isFlatObject(const Document& value) {
    if (!value.is_object()) return false;
    for (const auto& member : value.items()) {
        if (!isScalar(member.value()) && !isScalarArray(member.value())) return false;
    }
    return true;
}

// Length of the well-formed UTF-8 sequence at text[i] that is no control character, or 0.
size_t printableSequence(const std::string& text, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = byte(i);
    if (lead >= 0x20 && lead < 0x7F) return 1;
    size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || i + length > text.size()) return 0;
    uint32_t code = lead & (0xFFu >> (length + 1));
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    bool wellFormed = code >= kSmallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    bool control = code >= 0x80 && code <= 0x9F;
    return wellFormed && !control ? length : 0;
}

// A text as a terminal may show it: control characters and bytes outside valid UTF-8 become '?'.
std::string printableText(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        size_t length = printableSequence(text, i);
        if (length == 0) {
            shown += '?';
            ++i;
        } else {
            shown.append(text, i, length);
            i += length;
        }
    }
    return shown;
}

std::string valueText(const std::string& key, const Document& value) {
    if (value.is_null()) return "-";
    if (value.is_boolean()) return value.get<bool>() ? "yes" : "no";
    if (value.is_string()) return value.get<std::string>().empty() ? "-" : printableText(value.get<std::string>());
    if (key == "result" && value.is_number_integer()) {
        int32_t code = value.get<int32_t>();
        if (code == 0) return "ok";
        std::string name = resultName(code);
        return std::to_string(code) + (name.empty() ? "" : " " + name);
    }
    if (value.is_array()) {
        std::string text;
        for (const Document& element : value) text += (text.empty() ? "" : ", ") + valueText("", element);
        return text;
    }
    return value.dump();
}

void renderRows(std::ostream& out, std::vector<std::pair<std::string, std::string>>& rows, size_t indent) {
    size_t width = 0;
    for (const auto& row : rows) width = std::max(width, row.first.size());
    for (const auto& [label, value] : rows) {
        out << std::string(indent, ' ') << label << std::string(width - label.size() + 2, ' ') << value << "\n";
    }
    rows.clear();
}

// Columns a text takes on a terminal: its UTF-8 characters, not its bytes ("°C" is two, not three).
size_t displayWidth(const std::string& text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void renderTable(std::ostream& out, const Document& array, size_t indent) {
    std::vector<std::string> keys;
    for (const Document& element : array) {
        for (const auto& member : element.items()) {
            if (std::find(keys.begin(), keys.end(), member.key()) == keys.end()) keys.push_back(member.key());
        }
    }
    std::vector<std::vector<std::string>> cells;
    std::vector<std::string> header;
    for (const std::string& key : keys) header.push_back(labelFor(key));
    cells.push_back(header);
    for (const Document& element : array) {
        std::vector<std::string> row;
        for (const std::string& key : keys) {
            auto it = element.find(key);
            row.push_back(it == element.end() ? "-" : valueText(key, *it));
        }
        cells.push_back(row);
    }
    std::vector<size_t> widths(keys.size(), 0);
    for (const auto& row : cells) {
        for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], displayWidth(row[c]));
    }
    for (const auto& row : cells) {
        std::string line(indent, ' ');
        for (size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size()) line += std::string(widths[c] - displayWidth(row[c]) + 2, ' ');
        }
        out << line << "\n";
    }
}

// skipKey: a member already shown in the block's title.
void renderObject(std::ostream& out, const Document& object, size_t indent, const std::string& skipKey = "") {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& member : object.items()) {
        const std::string& key = member.key();
        const Document& value = member.value();
        if (key == skipKey) continue;
        if (isScalar(value) || isScalarArray(value)) {
            rows.emplace_back(labelFor(key), valueText(key, value));
            continue;
        }
        renderRows(out, rows, indent);
        if (value.is_object()) {
            out << "\n" << std::string(indent, ' ') << labelFor(key) << "\n";
            renderObject(out, value, indent + 2);
        } else if (std::all_of(value.begin(), value.end(), [](const Document& v) { return isFlatObject(v); })) {
            out << "\n" << std::string(indent, ' ') << labelFor(key) << "\n";
            renderTable(out, value, indent + 2);
        } else {
            std::string single = labelFor(key);
            if (single.size() > 1 && single.back() == 's') single.pop_back();
            size_t index = 0;
            for (const Document& element : value) {
                std::string title = single + " " + std::to_string(index++);
                bool byNode = element.is_object() && element.contains("node");
                if (byNode) title = "Node " + element["node"].dump();
                out << "\n" << std::string(indent, ' ') << title << "\n";
                if (element.is_object()) {
                    renderObject(out, element, indent + 2, byNode ? "node" : "");
                } else {
                    out << std::string(indent + 2, ' ') << valueText("", element) << "\n";
                }
            }
        }
    }
    renderRows(out, rows, indent);
}

}  // namespace

std::string labelFor(const std::string& key) {
    static const std::pair<const char*, const char*> kAcronyms[] = {
        {"id", "ID"},     {"sp", "SP"},     {"vpd", "VPD"},   {"uuid", "UUID"}, {"fru", "FRU"},
        {"ipmi", "IPMI"}, {"os", "OS"},     {"post", "POST"}, {"bios", "BIOS"}, {"dasd", "DASD"},
        {"ip", "IP"},     {"smtp", "SMTP"}, {"snmp", "SNMP"}, {"led", "LED"},
    };
    std::vector<std::string> words;
    std::string word;
    for (char c : key) {
        if (std::isupper(static_cast<unsigned char>(c)) && !word.empty()) {
            words.push_back(word);
            word.clear();
        }
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!word.empty()) words.push_back(word);
    std::string label;
    for (size_t i = 0; i < words.size(); ++i) {
        std::string text = words[i];
        for (const auto& [lower, upper] : kAcronyms) {
            if (text == lower) text = upper;
        }
        if (i == 0) text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        label += (i == 0 ? "" : " ") + text;
    }
    return label;
}

std::string renderJson(const Document& doc) {
    return doc.dump(2, ' ', false, Document::error_handler_t::replace) + "\n";
}

std::string renderText(const Document& doc) {
    std::ostringstream out;
    renderObject(out, doc, 0);
    std::string text = out.str();
    // Blocks start with a blank line; the screen does not.
    size_t start = text.find_first_not_of('\n');
    return start == std::string::npos ? std::string() : text.substr(start);
}

}  // namespace yatctl
