// The standard handles and writing to them. A handle points at the file
// descriptor it stands for.
#include <errno.h>
#include <poll.h>
#include <unistd.h>

#include "platform/platform.h"

namespace {

int standardDescriptors[3] = {0, 1, 2};

int Descriptor(HANDLE handle)
{
    if (!handle || handle == INVALID_HANDLE_VALUE)
        return -1;
    return *static_cast<const int *>(handle);
}

// Like Windows' own file write: partial writes and interrupted calls
// are continued, any other error ends the write. A descriptor that another
// program set non-blocking is waited on until it takes more.
BOOL WriteAll(int fd, const char *bytes, DWORD count, LPDWORD written)
{
    DWORD done = 0;
    BOOL ok = TRUE;
    while (done < count) {
        ssize_t n = write(fd, bytes + done, count - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd writable = {fd, POLLOUT, 0};
            if (poll(&writable, 1, -1) >= 0 || errno == EINTR)
                continue;
        }
        if (n <= 0) {
            ok = FALSE;
            break;
        }
        done += static_cast<DWORD>(n);
    }
    if (written)
        *written = done;
    return ok;
}

} // namespace

HANDLE WINAPI GetStdHandle(DWORD stdHandle)
{
    switch (stdHandle) {
    case STD_INPUT_HANDLE:
        return &standardDescriptors[0];
    case STD_OUTPUT_HANDLE:
        return &standardDescriptors[1];
    case STD_ERROR_HANDLE:
        return &standardDescriptors[2];
    default:
        return INVALID_HANDLE_VALUE;
    }
}

BOOL WINAPI WriteConsoleA(HANDLE console, const void *buffer, DWORD count, LPDWORD written, LPVOID)
{
    int fd = Descriptor(console);
    if (fd < 0 || !isatty(fd)) {
        if (written)
            *written = 0;
        return FALSE;
    }
    return WriteAll(fd, static_cast<const char *>(buffer), count, written);
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, LPOVERLAPPED)
{
    int fd = Descriptor(file);
    if (fd < 0) {
        if (written)
            *written = 0;
        return FALSE;
    }
    return WriteAll(fd, static_cast<const char *>(buffer), count, written);
}

// Windows' default action for Ctrl+C and the like ends the process;
// the default signal actions here do the same, so nothing is registered.
BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE, BOOL)
{
    return TRUE;
}
