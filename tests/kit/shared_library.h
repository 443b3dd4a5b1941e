#pragma once
// SharedLibrary: loads a built shared library the way a host does (dlopen and dlsym on Linux,
// LoadLibrary and GetProcAddress on Windows).

#include <string>

namespace yattest {

class SharedLibrary {
public:
    // Loads path. On Linux the library stays mapped after unload(), as a host keeps it until it
    // exits: the library's log state is meant to outlive every thread that might still log. On
    // Windows unload() really unmaps it, which the hosts there do.
    explicit SharedLibrary(const char* path);
    ~SharedLibrary();  // unloads when still loaded
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    // Why loading failed (empty when it did not).
    const std::string& error() const { return error_; }
    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;
    // Unloads; true when the system reported success.
    bool unload();

private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace yattest
