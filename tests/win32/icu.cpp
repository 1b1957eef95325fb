// A stand-in for the system's ICU (icu.dll), which Wine does not have: the
// one function the program asks of it, for a few names, and a name that it
// maps to an empty id, as ICU does for a name it does not map.
#include <stdint.h>
#include <wchar.h>

extern "C" __declspec(dllexport) int32_t
    ucal_getWindowsTimeZoneID(const wchar_t *id, int32_t length, wchar_t *windowsId,
                              int32_t capacity, int32_t * /*status*/)
{
    static const wchar_t *const names[][2] = {{L"Asia/Tokyo", L"Tokyo Standard Time"},
                                              {L"Europe/Berlin", L"W. Europe Standard Time"},
                                              {L"Etc/Unmapped", L""}};
    for (const auto &name : names)
        if (wcslen(name[0]) == static_cast<size_t>(length) &&
            wcsncmp(id, name[0], static_cast<size_t>(length)) == 0 &&
            static_cast<int32_t>(wcslen(name[1])) < capacity) {
            wcscpy(windowsId, name[1]);
            return static_cast<int32_t>(wcslen(name[1]));
        }
    return 0;
}
