// Loads the built plug-in the way a host does: dlopen by path, dlsym by name.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "host/IKoVeskCall.h"
#include "host/Plexa.h"

class PluginLibrary {
public:
    PluginLibrary() : m_handle(dlopen(KOVESK_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL)) {}
    ~PluginLibrary() {
        if (m_handle) dlclose(m_handle);
    }
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    bool loaded() const { return m_handle != nullptr; }

    template <class Function>
    Function* find(const char* name) const {
        return reinterpret_cast<Function*>(dlsym(m_handle, name));
    }

private:
    void* m_handle;
};
