#include "platform/debugoutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/environment.h"

extern "C" {

// Each call opens, appends and closes, so that the writes of separate
// processes land whole and in turn rather than through one process's buffer.
// Any failure is silent: like Windows with no debugger attached, the caller
// cannot tell whether the text went anywhere.
void OutputDebugStringA(LPCSTR text) {
    if (text == nullptr || *text == '\0') return;
    char path[PATH_MAX];
    DWORD length = GetEnvironmentVariableA("XMLXSL_DEBUG_LOG", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    int file = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (file < 0) return;
    std::size_t remaining = std::strlen(text);
    while (remaining > 0) {
        ssize_t written = write(file, text, remaining);
        if (written < 0) {
            if (errno == EINTR) continue;
            break;
        }
        text += written;
        remaining -= static_cast<std::size_t>(written);
    }
    close(file);
}

}  // extern "C"
