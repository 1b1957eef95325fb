// GetFileAttributesExA, for the time a file was last written, and the
// reason a call failed, from stat(): a symbolic link is followed.
#include <errno.h>
#include <sys/stat.h>

#include "platform/platform.h"

namespace {

DWORD lastError;

DWORD ErrorOf(int error)
{
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
        return ERROR_ACCESS_DENIED;
    default:
        return ERROR_INVALID_NAME;
    }
}

} // namespace

BOOL WINAPI GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS, LPVOID information)
{
    struct stat status {};
    if (stat(name, &status) != 0) {
        lastError = ErrorOf(errno);
        return FALSE;
    }
    // 100-nanosecond intervals since 1601. A time before 1601 (negative), or
    // past what the count holds, comes back with the sign bit set, which the
    // core reads as out of range, as Windows does.
    int64_t ticks = 0;
    if (__builtin_add_overflow(status.st_mtim.tv_sec, int64_t{11644473600}, &ticks) ||
        __builtin_mul_overflow(ticks, int64_t{10000000}, &ticks) ||
        __builtin_add_overflow(ticks, status.st_mtim.tv_nsec / 100, &ticks))
        ticks = -1;
    auto *data = static_cast<WIN32_FILE_ATTRIBUTE_DATA *>(information);
    *data = {};
    data->ftLastWriteTime.dwLowDateTime = static_cast<DWORD>(ticks);
    data->ftLastWriteTime.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return TRUE;
}

DWORD WINAPI GetLastError(void)
{
    return lastError;
}
