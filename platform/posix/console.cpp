// The standard handles and writing to them. A handle points at the file
// descriptor it stands for.
#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include "platform/platform.h"

namespace {
int standardDescriptors[3] = {0, 1, 2};
}

// STD_INPUT_HANDLE, STD_OUTPUT_HANDLE and STD_ERROR_HANDLE count down from -10.
HANDLE WINAPI GetStdHandle(DWORD stdHandle)
{
    DWORD which = STD_INPUT_HANDLE - stdHandle;
    return which < 3 ? &standardDescriptors[which] : INVALID_HANDLE_VALUE;
}

// POSIX has no console apart from its files: a console write fails as one
// to a handle that is no console, having written nothing, and the writer
// then writes as to a file.
BOOL WINAPI WriteConsoleA(HANDLE, const void *, DWORD, LPDWORD written, LPVOID)
{
    *written = 0;
    return FALSE;
}

// As the platform's file write: partial writes and interrupted calls are
// continued, any other error ends the write. A descriptor that another
// program set non-blocking is waited on until it takes more.
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED)
{
    int fd = *static_cast<const int *>(file);
    const char *bytes = static_cast<const char *>(buffer);
    for (*written = 0; *written < count;) {
        ssize_t n = write(fd, bytes + *written, count - *written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd writable = {fd, POLLOUT, 0};
            if (poll(&writable, 1, -1) >= 0 || errno == EINTR)
                continue;
        }
        if (n <= 0)
            return FALSE;
        *written += static_cast<DWORD>(n);
    }
    return TRUE;
}

// The platform's default action for Ctrl+C and the like ends the process;
// the default signal actions here do the same, so nothing is registered.
BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE, BOOL)
{
    return TRUE;
}
