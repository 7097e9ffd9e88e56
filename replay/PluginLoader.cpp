#include "replay/PluginLoader.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace vesk::replay {

namespace {

constexpr char kPluginFileName[] = "libKoVeskVV.so";

// Resolves `name` into `function`; false with `error` set when missing.
template <class Function>
bool resolve(void* handle, const char* name, Function& function, std::string& error) {
    dlerror();
    void* symbol = dlsym(handle, name);
    if (!symbol) {
        const char* reason = dlerror();
        error = std::string("the plug-in does not export ") + name;
        if (reason) error += std::string(" (") + reason + ")";
        return false;
    }
    function = reinterpret_cast<Function>(symbol);
    return true;
}

}  // namespace

PluginLoader::~PluginLoader() {
    if (m_handle) dlclose(m_handle);
}

bool PluginLoader::Load(const std::string& path, std::string& error) {
    // RTLD_NOW: a plug-in with an unresolved symbol fails here, not in the
    // middle of a capture.
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* reason = dlerror();
        error = "cannot load the plug-in " + path + ": " + (reason ? reason : "unknown error");
        return false;
    }
    PluginEntryPoints& e = m_entryPoints;
    return resolve(m_handle, "VeskNewCall", e.newCall, error) &&
           resolve(m_handle, "VeskVV_Input_GetParamData", e.inputGetParamData, error) &&
           resolve(m_handle, "VeskVV_Input_GetButtonData", e.inputGetButtonData, error) &&
           resolve(m_handle, "VeskVV_Input_OnHelpEvent", e.inputOnHelpEvent, error) &&
           resolve(m_handle, "VeskVV_Input_OnHelpAttr", e.inputOnHelpAttr, error) &&
           resolve(m_handle, "VeskVV_Output_GetParamData", e.outputGetParamData, error) &&
           resolve(m_handle, "VeskVV_Output_GetRetvalData", e.outputGetRetvalData, error) &&
           resolve(m_handle, "VeskVV_Buffer_GetParamData", e.bufferGetParamData, error) &&
           resolve(m_handle, "VeskVV_Buffer_GetBufferData", e.bufferGetBufferData, error);
}

std::string PluginLoader::DefaultPath() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return {};
    std::string path(self, static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    path.resize(slash);  // <bin>
    // Installed, the plug-in has a folder of its own; in the build tree it
    // lies in ../lib.
    const std::string installed = path + "/" KOVESK_INSTALLED_PLUGIN_DIR "/" + kPluginFileName;
    if (access(installed.c_str(), F_OK) == 0) return installed;
    return path + "/../lib/" + kPluginFileName;
}

}  // namespace vesk::replay
