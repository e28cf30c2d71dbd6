// A GL context for the sanitized tests that draw, with every loaded library
// pinned: the GL driver is unloaded at exit, before the leak check runs,
// and its leaks would then show up without a library name to suppress them
// by (support/sanitized/lsan.supp).
#pragma once

#include <dlfcn.h>
#include <link.h>

#include "support/gl_context.h"

inline int pinLibrary(dl_phdr_info* info, size_t, void*) {
    if (info->dlpi_name && info->dlpi_name[0]) dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    return 0;
}

// False where there is no display to draw on.
inline bool glReady() {
    static const bool ready = [] {
        if (!ensureGlContext()) return false;
        dl_iterate_phdr(pinLibrary, nullptr);
        return true;
    }();
    return ready;
}
