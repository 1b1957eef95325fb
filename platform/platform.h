// The services of the operating system that the core calls, under the names
// and signatures they have on Windows. On Windows this is the system header;
// elsewhere the same declarations are implemented by platform/posix. A
// service whose Windows form has no POSIX counterpart is one verb of our
// own, declared at the end for both.
#ifndef KOLBEX_PLATFORM_H
#define KOLBEX_PLATFORM_H

#ifdef _WIN32

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#else

#include <stddef.h>
#include <stdint.h>

#define WINAPI
#define TRUE 1
#define FALSE 0

using BOOL = int;
using UINT = unsigned int;
using WORD = uint16_t;
using DWORD = uint32_t;
using LCID = DWORD;
using SIZE_T = size_t;
using HANDLE = void *;
using LPVOID = void *;
using LPCVOID = const void *;
using LPDWORD = DWORD *;
using LPSTR = char *;
using LPCSTR = const char *;
using LPOVERLAPPED = struct OVERLAPPED *;
using PHANDLER_ROUTINE = BOOL(WINAPI *)(DWORD ctrlType);

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// A zone by name: the stand-ins carry the name of its zone file.
struct DYNAMIC_TIME_ZONE_INFORMATION {
    char TimeZoneKeyName[256];
};

// A zone's rules: the stand-ins carry the zone, whose history the C
// library knows; null rules are the zone in force.
struct TIME_ZONE_INFORMATION {
    const DYNAMIC_TIME_ZONE_INFORMATION *zone;
};

// A count of 100-nanosecond intervals since 1 January 1601 (UTC).
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

// A file's attributes and times; only the time of its last write is offered.
struct WIN32_FILE_ATTRIBUTE_DATA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
};
enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard };

#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_NAME 123
#define INVALID_HANDLE_VALUE (reinterpret_cast<HANDLE>(-1)) // NOLINT(performance-no-int-to-ptr)
#define STD_INPUT_HANDLE (static_cast<DWORD>(-10))
#define STD_OUTPUT_HANDLE (static_cast<DWORD>(-11))
#define STD_ERROR_HANDLE (static_cast<DWORD>(-12))
#define LOCALE_SYSTEM_DEFAULT 0x0800

LPSTR WINAPI GetCommandLineA(void);
[[noreturn]] void WINAPI ExitProcess(UINT exitCode);

HANDLE WINAPI GetStdHandle(DWORD stdHandle);
BOOL WINAPI WriteConsoleA(HANDLE console, const void *buffer, DWORD count, LPDWORD written,
                          LPVOID reserved);
BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written,
                      LPOVERLAPPED overlapped);
BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add);

HANDLE WINAPI GetProcessHeap(void);
HANDLE WINAPI HeapCreate(DWORD options, SIZE_T initialSize, SIZE_T maximumSize);
// The sizes let the compiler check copies into the blocks (fortify).
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) __attribute__((alloc_size(3)));
LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes)
    __attribute__((alloc_size(4)));
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);
BOOL WINAPI HeapDestroy(HANDLE heap);

void WINAPI GetSystemTime(SYSTEMTIME *time);
BOOL WINAPI FileTimeToSystemTime(const FILETIME *fileTime, SYSTEMTIME *time);
BOOL WINAPI SystemTimeToTzSpecificLocalTime(const TIME_ZONE_INFORMATION *rules,
                                            const SYSTEMTIME *universal, SYSTEMTIME *local);

int WINAPI GetDateFormatA(LCID locale, DWORD flags, const SYSTEMTIME *date, LPCSTR format,
                          LPSTR dateStr, int capacity);
int WINAPI GetTimeFormatA(LCID locale, DWORD flags, const SYSTEMTIME *time, LPCSTR format,
                          LPSTR timeStr, int capacity);

UINT WINAPI GetACP(void);

BOOL WINAPI GetFileAttributesExA(LPCSTR name, GET_FILEEX_INFO_LEVELS level, LPVOID information);
DWORD WINAPI GetLastError(void);

#endif

// Converts `length` bytes of text in the run's character set to the OEM
// code page, into `out` where `capacity` holds the result: its length, or
// -1 where the text cannot be converted or a capacity other than 0 is too
// small. Count with a capacity of 0, then fill: a result may be longer than
// its text. An empty text is 0.
int ConvertToOem(const char *text, int length, char *out, int capacity);

// Finds the zone that `name` names, for ZoneRulesOfYear: on Windows a
// zone id, or an IANA name that the system's ICU maps to one; elsewhere
// the name of a zone file. FALSE where there is none, or where the system
// cannot look zones up.
BOOL FindTimeZone(const char *name, DYNAMIC_TIME_ZONE_INFORMATION *zone);

// The rules of a zone that FindTimeZone found, in force in `year`, for
// SystemTimeToTzSpecificLocalTime: GetTimeZoneInformationForYear, which
// Windows offers from version 7 only.
BOOL ZoneRulesOfYear(WORD year, const DYNAMIC_TIME_ZONE_INFORMATION *zone,
                     TIME_ZONE_INFORMATION *rules);

#endif
