#include "platform/registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "platform/text.h"

namespace {

std::string lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Normalises a key path: lower case, no leading HKEY_LOCAL_MACHINE\, no surrounding separators.
std::string normalKey(const std::string& key) {
    std::string result = lower(key);
    const std::string root = "hkey_local_machine\\";
    if (result.compare(0, root.size(), root) == 0) result.erase(0, root.size());
    while (!result.empty() && result.front() == '\\') result.erase(0, 1);
    while (!result.empty() && result.back() == '\\') result.pop_back();
    return result;
}

std::string trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return {};
    size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

// Reads a quoted text starting at pos (which holds the opening quote). Returns false when unterminated.
bool readQuoted(const std::string& line, size_t& pos, std::string& out) {
    if (pos >= line.size() || line[pos] != '"') return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        char c = line[pos++];
        if (c == '"') return true;
        if (c == '\\' && pos < line.size()) c = line[pos++];
        out += c;
    }
    return false;
}

// The file as single-byte text. Registry exports come as UTF-16LE (with the byte order mark FF FE)
// or as 8-bit text, possibly with a UTF-8 byte order mark. Characters of UTF-16 text beyond one byte
// become '?': keys and values of interest are plain ASCII.
std::string plainText(const std::string& raw) {
    if (raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF && static_cast<unsigned char>(raw[1]) == 0xFE) {
        std::string text;
        text.reserve(raw.size() / 2);
        for (size_t i = 2; i + 1 < raw.size(); i += 2) {
            unsigned char low = static_cast<unsigned char>(raw[i]);
            unsigned char high = static_cast<unsigned char>(raw[i + 1]);
            text += high == 0 ? static_cast<char>(low) : '?';
        }
        return text;
    }
    if (raw.compare(0, 3, "\xEF\xBB\xBF") == 0) return raw.substr(3);
    return raw;
}

}  // namespace

yat::FileRead cRegistry::readSource(const char* path, std::string& content) {
    content.clear();
    if (path == nullptr) return yat::FileRead::kMissing;
    char bounded[sizeof(cRegistry::sourcePath)];
    copyText(bounded, sizeof bounded, path);
    return yat::readRegularFile(bounded, kMaxSourceBytes, content);
}

cRegistry::cRegistry(const char* path) : sections_(std::make_unique<std::map<std::string, Section>>()) {
    copyText(sourcePath, sizeof sourcePath, path);
    std::string content;
    yat::FileRead outcome = readSource(path, content);
    if (outcome == yat::FileRead::kRead || outcome == yat::FileRead::kTooLarge) parse(content);
}

cRegistry::cRegistry(const char* path, const std::string& content)
    : sections_(std::make_unique<std::map<std::string, Section>>()) {
    copyText(sourcePath, sizeof sourcePath, path);
    parse(content);
}

void cRegistry::parse(const std::string& raw) {
    opened = 1;
    std::string content = raw.size() > kMaxSourceBytes ? raw.substr(0, kMaxSourceBytes) : raw;
    content = plainText(content);
    std::istringstream lines(content);
    std::string line;
    Section* current = nullptr;
    while (std::getline(lines, line)) {
        line = trim(line);
        if (line.empty() || line[0] == ';') continue;
        if (line.front() == '[') {
            if (line.back() != ']') {
                current = nullptr;
                continue;
            }
            current = &(*sections_)[normalKey(line.substr(1, line.size() - 2))];
            continue;
        }
        if (current == nullptr || line[0] != '"') continue;
        size_t pos = 0;
        std::string name;
        if (!readQuoted(line, pos, name) || pos >= line.size() || line[pos] != '=') continue;
        ++pos;
        Value value;
        const std::string dwordPrefix = "dword:";
        if (lower(line.substr(pos, dwordPrefix.size())) == dwordPrefix) {
            std::string digits = trim(line.substr(pos + dwordPrefix.size()));
            if (digits.empty() || digits.size() > 8 ||
                digits.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
                continue;
            }
            value.isNumber = true;
            value.number = static_cast<uint32_t>(std::stoul(digits, nullptr, 16));
        } else if (!readQuoted(line, pos, value.text)) {
            continue;
        }
        (*current)[lower(name)] = std::move(value);
        ++valueCount;
    }
}

cRegistry::~cRegistry() = default;

void cRegistry::CloseRegData() {
    sections_->clear();
    opened = 0;
    valueCount = 0;
}

bool cRegistry::CheckRegTree(const char* key) const {
    if (key == nullptr) return false;
    std::string wanted = normalKey(key);
    if (sections_->count(wanted) > 0) return true;
    // A key beneath it: the first section at or after "wanted\\" shows whether one exists (siblings
    // such as "wanted2" or "wanted x" sort before it and must not hide it).
    std::string below = wanted + '\\';
    auto it = sections_->lower_bound(below);
    return it != sections_->end() && it->first.compare(0, below.size(), below) == 0;
}

const cRegistry::Value* cRegistry::findValue(const char* key, const char* valueName) const {
    if (key == nullptr || valueName == nullptr) return nullptr;
    auto section = sections_->find(normalKey(key));
    if (section == sections_->end()) return nullptr;
    auto value = section->second.find(lower(valueName));
    return value == section->second.end() ? nullptr : &value->second;
}

cRegistry::ValueKind cRegistry::GetRegValueKind(const char* key, const char* valueName) const {
    const Value* value = findValue(key, valueName);
    if (value == nullptr) return ValueKind::kAbsent;
    return value->isNumber ? ValueKind::kNumber : ValueKind::kText;
}

bool cRegistry::GetRegInfo(const char* key, const char* valueName, uint32_t* size, void* data) const {
    if (size == nullptr || data == nullptr) return false;
    const Value* value = findValue(key, valueName);
    if (value == nullptr) return false;
    if (value->isNumber) {
        if (*size < sizeof(uint32_t)) {
            *size = sizeof(uint32_t);
            return false;
        }
        std::memcpy(data, &value->number, sizeof(uint32_t));
        *size = sizeof(uint32_t);
        return true;
    }
    const std::string& text = value->text;
    if (*size < text.size() + 1) {
        *size = static_cast<uint32_t>(text.size() + 1);
        return false;
    }
    std::memcpy(data, text.c_str(), text.size() + 1);
    *size = static_cast<uint32_t>(text.size() + 1);
    return true;
}
