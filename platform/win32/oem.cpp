// ConvertToOem on Windows: CharToOemBuffA in the Western code page, whose
// bytes it converts one for one; through UTF-16 in any other, where a
// character may take more bytes or fewer.
#include "platform/platform.h"

namespace {
constexpr UINT WesternCodePage = 1252;
}

int ConvertToOem(const char *text, int length, char *out, int capacity)
{
    if (length == 0)
        return 0;
    if (GetACP() == WesternCodePage) {
        if (capacity > 0 && capacity < length)
            return -1;
        if (capacity > 0)
            CharToOemBuffA(text, out, static_cast<DWORD>(length));
        return length;
    }
    int units = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (units <= 0)
        return -1;
    HANDLE heap = GetProcessHeap();
    auto *wide = static_cast<WCHAR *>(HeapAlloc(heap, 0, static_cast<SIZE_T>(units) * 2));
    if (!wide)
        return -1;
    MultiByteToWideChar(CP_ACP, 0, text, length, wide, units);
    int bytes = WideCharToMultiByte(CP_OEMCP, WC_NO_BEST_FIT_CHARS, wide, units, out, capacity, "?",
                                    nullptr);
    HeapFree(heap, 0, wide);
    return bytes > 0 ? bytes : -1;
}
