#include "PluginLibrary.h"

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

PluginLibrary::PluginLibrary() : m_handle(nullptr) {}

PluginLibrary::~PluginLibrary() {
    Unload();
}

bool PluginLibrary::Load(const std::string& path, std::string& error) {
    Unload();
#ifdef _WIN32
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        error = "cannot load \"" + path + "\" (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    m_handle = reinterpret_cast<void*>(module);
#else
    // A path without a slash would be searched for on the library path.
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    m_handle = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* reason = dlerror();
        error = "cannot load \"" + path + "\": " + (reason ? reason : "unknown reason");
        return false;
    }
#endif
    m_path = path;
    return true;
}

void* PluginLibrary::Symbol(const char* name) const {
    if (!m_handle)
        return nullptr;
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(m_handle), name));
#else
    return dlsym(m_handle, name);
#endif
}

void PluginLibrary::Unload() {
    if (!m_handle)
        return;
#ifdef _WIN32
    FreeLibrary(reinterpret_cast<HMODULE>(m_handle));
#else
    dlclose(m_handle);
#endif
    m_handle = nullptr;
    m_path.clear();
}

std::string PluginLibrary::BesideProgram(const std::string& fileName) {
    std::string program;
#ifdef _WIN32
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        program.assign(path, length);
#else
    std::error_code error;
    program = std::filesystem::read_symlink("/proc/self/exe", error).string();
#endif
    const size_t slash = program.find_last_of("/\\");
    return slash == std::string::npos ? fileName : program.substr(0, slash + 1) + fileName;
}
