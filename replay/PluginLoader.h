// Loads the VISA plug-in the way the host does: dlopen of the shared
// library, then dlsym of the record factory and of the property-page entry
// points. The program never links the plug-in.
#pragma once

#include <string>

#include "entry/VeskEntryPoints.h"

namespace vesk::replay {

// The plug-in's exported C functions, resolved by name. The types come from
// the plug-in's own declarations, so a changed signature fails to compile
// here instead of misbehaving at run time.
struct PluginEntryPoints {
    decltype(&VeskNewCall) newCall = nullptr;
    decltype(&VeskVV_Input_GetParamData) inputGetParamData = nullptr;
    decltype(&VeskVV_Input_GetButtonData) inputGetButtonData = nullptr;
    decltype(&VeskVV_Input_OnHelpEvent) inputOnHelpEvent = nullptr;
    decltype(&VeskVV_Input_OnHelpAttr) inputOnHelpAttr = nullptr;
    decltype(&VeskVV_Output_GetParamData) outputGetParamData = nullptr;
    decltype(&VeskVV_Output_GetRetvalData) outputGetRetvalData = nullptr;
    decltype(&VeskVV_Buffer_GetParamData) bufferGetParamData = nullptr;
    decltype(&VeskVV_Buffer_GetBufferData) bufferGetBufferData = nullptr;
};

class PluginLoader {
public:
    PluginLoader() = default;
    // Unloads the plug-in; every record it made must be destroyed before.
    ~PluginLoader();
    PluginLoader(const PluginLoader&) = delete;
    PluginLoader& operator=(const PluginLoader&) = delete;

    // Loads the library at `path` and resolves every entry point. False,
    // with `error` set, when the library cannot be loaded or lacks one.
    bool Load(const std::string& path, std::string& error);

    const PluginEntryPoints& EntryPoints() const { return m_entryPoints; }

    // Where the plug-in lives beside this program, resolved from
    // /proc/self/exe: <bin>/../lib/kovesk/libKoVeskVV.so once installed (the
    // library folder as installed), else <bin>/../lib/libKoVeskVV.so as in
    // the build tree. Empty when the program's path is unknown.
    static std::string DefaultPath();

private:
    void* m_handle = nullptr;
    PluginEntryPoints m_entryPoints;
};

}  // namespace vesk::replay
