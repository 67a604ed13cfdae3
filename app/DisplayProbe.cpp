#include "app/DisplayProbe.h"

#include <dlfcn.h>

namespace {

// The X client library is loaded at run time: it is there whenever windows can be shown at all,
// and the program needs it neither to build nor to run headless.
using Connect = void* (*)(const char* display, int* screen);
using HasError = int (*)(void* connection);
using Disconnect = void (*)(void* connection);

} // namespace

bool XDisplayAnswers(const QByteArray& display)
{
    void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return false;
    const auto connect = reinterpret_cast<Connect>(::dlsym(library, "xcb_connect"));
    const auto hasError = reinterpret_cast<HasError>(::dlsym(library, "xcb_connection_has_error"));
    const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(library, "xcb_disconnect"));
    bool answers = false;
    if (connect && hasError && disconnect) {
        void* connection = connect(display.constData(), nullptr);
        answers = connection && hasError(connection) == 0;
        if (connection)
            disconnect(connection);
    }
    ::dlclose(library);
    return answers;
}
