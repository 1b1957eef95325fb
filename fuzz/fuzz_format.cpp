// Arbitrary pictures, capacities and the moments the core hands over (any
// instant the calendar counts, or a time of day with no date) through the
// POSIX formatter.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace {

int Call(bool date, const SYSTEMTIME *t, const char *picture, char *out, int capacity)
{
    return date ? GetDateFormatA(LOCALE_SYSTEM_DEFAULT, 0, t, picture, out, capacity)
                : GetTimeFormatA(LOCALE_SYSTEM_DEFAULT, 0, t, picture, out, capacity);
}

// An exact-size heap block, so that a write past the capacity is caught.
int CallExact(bool date, const SYSTEMTIME *t, const char *picture, int capacity, char **text)
{
    *text = static_cast<char *>(std::malloc(capacity > 0 ? static_cast<std::size_t>(capacity) : 1));
    return Call(date, t, picture, *text, capacity);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 19)
        return 0;
    std::uint64_t ticks = 0;
    std::memcpy(&ticks, data, sizeof ticks);
    ticks &= 0x7FFFFFFFFFFFFFFF;
    FILETIME file{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME t{};
    if (!FileTimeToSystemTime(&file, &t))
        std::abort();
    if (data[16] & 2)
        t.wYear = t.wMonth = t.wDay = 0;
    bool date = data[16] & 1;
    int capacity = data[17] * 2 + (data[18] & 1);
    char *picture = static_cast<char *>(std::malloc(size - 19 + 1));
    std::memcpy(picture, data + 19, size - 19);
    picture[size - 19] = '\0';

    int needed = Call(date, &t, picture, nullptr, 0);
    char *text = nullptr;
    int count = CallExact(date, &t, picture, capacity, &text);
    if (capacity > 0) {
        if (count > capacity)
            std::abort();
        if (count > 0 && (count != needed || text[count - 1] != '\0' ||
                          std::strlen(text) != static_cast<std::size_t>(count - 1)))
            std::abort();
        if (count == 0 && needed > 0 && needed <= capacity)
            std::abort();
    }
    std::free(text);
    if (needed > 0) {
        // Exactly the size asked for is enough, one byte less is not.
        if (CallExact(date, &t, picture, needed, &text) != needed)
            std::abort();
        std::free(text);
        if (needed > 1) {
            if (CallExact(date, &t, picture, needed - 1, &text) != 0)
                std::abort();
            std::free(text);
        }
    }
    std::free(picture);
    return 0;
}
