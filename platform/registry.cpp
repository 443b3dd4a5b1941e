#include "platform/registry.h"

#include <cctype>
#include <cstring>
#include <fstream>

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

}  // namespace

cRegistry::cRegistry(const char* path) : sections_(std::make_unique<std::map<std::string, Section>>()) {
    copyText(sourcePath, sizeof sourcePath, path);
    std::ifstream in(sourcePath, std::ios::binary);
    if (!in) return;
    opened = 1;
    std::string line;
    Section* current = nullptr;
    while (std::getline(in, line)) {
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
        if (line.compare(pos, dwordPrefix.size(), dwordPrefix) == 0) {
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
    auto it = sections_->lower_bound(wanted);
    if (it == sections_->end()) return false;
    if (it->first == wanted) return true;
    return it->first.size() > wanted.size() && it->first.compare(0, wanted.size(), wanted) == 0 &&
           it->first[wanted.size()] == '\\';
}

bool cRegistry::GetRegInfo(const char* key, const char* valueName, uint32_t* size, void* data) const {
    if (key == nullptr || valueName == nullptr || size == nullptr || data == nullptr) return false;
    auto section = sections_->find(normalKey(key));
    if (section == sections_->end()) return false;
    auto value = section->second.find(lower(valueName));
    if (value == section->second.end()) return false;
    if (value->second.isNumber) {
        if (*size < sizeof(uint32_t)) {
            *size = sizeof(uint32_t);
            return false;
        }
        std::memcpy(data, &value->second.number, sizeof(uint32_t));
        *size = sizeof(uint32_t);
        return true;
    }
    const std::string& text = value->second.text;
    if (*size < text.size() + 1) {
        *size = static_cast<uint32_t>(text.size() + 1);
        return false;
    }
    std::memcpy(data, text.c_str(), text.size() + 1);
    *size = static_cast<uint32_t>(text.size() + 1);
    return true;
}
