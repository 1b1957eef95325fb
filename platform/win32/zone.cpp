// FindTimeZone and ZoneRulesOfYear on Windows: a zone by its id, from the
// enumeration of Windows 8, or by an IANA name that the system's ICU maps
// to an id (Windows 10 version 1903 and later). The enumeration, ICU and
// the rules of a year (Windows 7) are found at run time, so that the
// program starts on systems without them.
#include <stdint.h>

#include "platform/platform.h"

namespace {

using Enumerate = DWORD(WINAPI *)(DWORD index, PDYNAMIC_TIME_ZONE_INFORMATION zone);
using RulesOfYear = BOOL(WINAPI *)(USHORT year, PDYNAMIC_TIME_ZONE_INFORMATION zone,
                                   LPTIME_ZONE_INFORMATION rules);
// ICU's ucal_getWindowsTimeZoneID, in C's calling convention; its status is
// an error where above 0.
using MapToWindows = int32_t (*)(const WCHAR *id, int32_t length, WCHAR *windowsId,
                                 int32_t capacity, int32_t *status);

constexpr int32_t IdCapacity = 128;

RulesOfYear rulesOfYear;

// A function of a system library, or null; as a pointer to any function,
// which its caller casts to its type.
using AnyFunction = void (*)();
AnyFunction Service(const char *library, const char *name)
{
    // From the system folder only, never the program's or the current one.
    HMODULE module = LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return module ? reinterpret_cast<AnyFunction>(GetProcAddress(module, name)) : nullptr;
}

WCHAR Folded(WCHAR c)
{
    return c >= 'a' && c <= 'z' ? static_cast<WCHAR>(c - 'a' + 'A') : c;
}

// The zone whose id is `id`, in any case.
bool FindId(Enumerate enumerate, const WCHAR *id, DYNAMIC_TIME_ZONE_INFORMATION *zone)
{
    for (DWORD i = 0; enumerate(i, zone) == ERROR_SUCCESS; i++) {
        const WCHAR *key = zone->TimeZoneKeyName;
        int n = 0;
        while (id[n] && Folded(key[n]) == Folded(id[n]))
            n++;
        if (!id[n] && !key[n])
            return true;
    }
    return false;
}

} // namespace

BOOL FindTimeZone(const char *name, DYNAMIC_TIME_ZONE_INFORMATION *zone)
{
    WCHAR id[IdCapacity];
    int32_t n = MultiByteToWideChar(CP_ACP, 0, name, -1, id, IdCapacity) - 1;
    auto enumerate =
        reinterpret_cast<Enumerate>(Service("advapi32.dll", "EnumDynamicTimeZoneInformation"));
    rulesOfYear =
        reinterpret_cast<RulesOfYear>(Service("kernel32.dll", "GetTimeZoneInformationForYear"));
    if (n <= 0 || !enumerate || !rulesOfYear)
        return FALSE;
    if (FindId(enumerate, id, zone))
        return TRUE;
    auto map = reinterpret_cast<MapToWindows>(Service("icu.dll", "ucal_getWindowsTimeZoneID"));
    WCHAR mapped[IdCapacity];
    int32_t status = 0;
    // ICU maps a name it does not know to an empty id.
    int32_t length = map ? map(id, n, mapped, IdCapacity, &status) : 0;
    if (length <= 0 || length >= IdCapacity || status > 0)
        return FALSE;
    mapped[length] = 0;
    return FindId(enumerate, mapped, zone);
}

BOOL ZoneRulesOfYear(WORD year, const DYNAMIC_TIME_ZONE_INFORMATION *zone,
                     TIME_ZONE_INFORMATION *rules)
{
    // The enumeration's record, which the call only reads.
    return rulesOfYear(year, const_cast<PDYNAMIC_TIME_ZONE_INFORMATION>(zone), rules);
}
