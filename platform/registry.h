#pragma once
// cRegistry: read-only access to the host's registry data, kept in a file in the registry export
// syntax:
//   ; comment
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Some\Key]     (the HKEY_LOCAL_MACHINE\ prefix is optional)
//   "number"=dword:0000001f
//   "text"="some text"                          (\\ and \" are escapes inside the quotes)
// Keys and value names match without regard to case. A key exists when it has a section of its own
// or one beneath it. Lines that fit none of these forms are skipped. The file may be 8-bit text (a
// UTF-8 byte order mark is skipped) or UTF-16LE with its byte order mark, as registry exports are.
// Only a regular file is read (a FIFO, device or folder in its place counts as not opened, without
// waiting on it), once, up to its first 4 MiB; it is never written. A caller that must not do file
// I/O where it constructs the object reads the file beforehand with readSource and hands the content
// in.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/regular_file.h"

class cRegistry {
public:
    virtual ~cRegistry();
    cRegistry(const cRegistry&) = delete;
    cRegistry& operator=(const cRegistry&) = delete;

    // True when the key exists.
    bool CheckRegTree(const char* key) const;

    // Copies the value into data. On entry *size is the capacity of data in bytes; on success it is
    // the number of bytes written (4 for a number, the length plus terminator for a text). Returns
    // false, writing nothing, when the key or value is absent, an argument is null, or the value does
    // not fit (then *size is the capacity needed).
    [[nodiscard]] bool GetRegInfo(const char* key, const char* valueName, uint32_t* size, void* data) const;

    // What a value holds, so that a caller can tell a number from a text before reading it.
    enum class ValueKind { kAbsent, kNumber, kText };
    // kAbsent when the key or value does not exist or an argument is null.
    ValueKind GetRegValueKind(const char* key, const char* valueName) const;

    // True when the source file was opened and read.
    bool isOpen() const { return opened != 0; }

    // Most bytes of a registry data file that are read.
    static constexpr size_t kMaxSourceBytes = size_t{4} * 1024 * 1024;
    // Reads the registry data file at path into content, as the path constructor does: kRead, or
    // kTooLarge with the first kMaxSourceBytes; any other outcome leaves content empty.
    static yat::FileRead readSource(const char* path, std::string& content);

protected:
    // Reads the registry data file at path (cut to 255 characters).
    explicit cRegistry(const char* path);
    // Takes content as what the file at path holds (read with readSource): opened.
    cRegistry(const char* path, const std::string& content);
    // Forgets the data read.
    void CloseRegData();

private:
    struct Value {
        bool isNumber = false;
        uint32_t number = 0;
        std::string text;
    };
    using Section = std::map<std::string, Value>;

    const Value* findValue(const char* key, const char* valueName) const;
    // Fills the sections from the file's bytes and marks the source opened.
    void parse(const std::string& raw);

    char sourcePath[256] = {};
    uint32_t valueCount = 0;
    uint32_t opened = 0;
    std::unique_ptr<std::map<std::string, Section>> sections_;
};
