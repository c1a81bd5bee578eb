#pragma once
#include <string>

// One loaded plug-in module: LoadLibraryA on Windows, dlopen elsewhere.
class PluginLibrary {
public:
    PluginLibrary();
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // False with a reason when the module cannot be loaded.
    bool Load(const std::string& path, std::string& error);
    void* Symbol(const char* name) const;
    void Unload();
    const std::string& Path() const { return m_path; }

    // The path of `fileName` in the folder of the running program.
    static std::string BesideProgram(const std::string& fileName);

private:
    void* m_handle;
    std::string m_path;
};
