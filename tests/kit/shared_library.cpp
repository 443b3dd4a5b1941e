#include "kit/shared_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace yattest {

#ifdef _WIN32

SharedLibrary::SharedLibrary(const char* path) {
    handle_ = reinterpret_cast<void*>(LoadLibraryA(path));
    if (handle_ == nullptr) error_ = "LoadLibrary failed with error " + std::to_string(GetLastError());
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

bool SharedLibrary::unload() {
    if (handle_ == nullptr) return false;
    bool ok = FreeLibrary(static_cast<HMODULE>(handle_)) != 0;
    handle_ = nullptr;
    return ok;
}

#else

SharedLibrary::SharedLibrary(const char* path) {
    handle_ = dlopen(path, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (handle_ == nullptr) {
        const char* reason = dlerror();
        error_ = reason != nullptr ? reason : "dlopen failed";
    }
}

void* SharedLibrary::symbol(const char* name) const { return handle_ != nullptr ? dlsym(handle_, name) : nullptr; }

bool SharedLibrary::unload() {
    if (handle_ == nullptr) return false;
    bool ok = dlclose(handle_) == 0;
    handle_ = nullptr;
    return ok;
}

#endif

SharedLibrary::~SharedLibrary() { unload(); }

}  // namespace yattest
