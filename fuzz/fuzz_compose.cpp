// Arbitrary tails through the whole composition at a fixed moment, checked
// against a plain model of the rules written apart from the scanner.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "compose/scanner.h"
#include "platform/posix/posix.h"

namespace {

unsigned char Upper(unsigned char b)
{
    return ((b >= 'a' && b <= 'z') || b >= 0xE0) ? static_cast<unsigned char>(b - 32) : b;
}

unsigned char Lower(unsigned char b)
{
    return ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xDE)) ? static_cast<unsigned char>(b + 32)
                                                                : b;
}

bool StartsFolded(const char *p, const char *word)
{
    for (; *word; p++, word++)
        if (!*p || Upper(static_cast<unsigned char>(*p)) != static_cast<unsigned char>(*word))
            return false;
    return true;
}

void ModelField(std::string *out, const char **p, bool date, bool oem)
{
    std::string picture;
    while (**p && **p != ']')
        picture += static_cast<char>(Lower(static_cast<unsigned char>(*(*p)++)));
    if (**p == ']')
        (*p)++;
    bool twelve = picture.find('t') != std::string::npos;
    for (char &c : picture) {
        if (date && c == 'm')
            c = 'M';
        if (!date && !twelve && c == 'h')
            c = 'H';
    }
    int n = date ? GetDateFormatA(0x0800, 0, nullptr, picture.c_str(), nullptr, 0)
                 : GetTimeFormatA(0x0800, 0, nullptr, picture.c_str(), nullptr, 0);
    if (n <= 0)
        return;
    std::string text(static_cast<std::size_t>(n), '\0');
    if (date)
        GetDateFormatA(0x0800, 0, nullptr, picture.c_str(), text.data(), n);
    else
        GetTimeFormatA(0x0800, 0, nullptr, picture.c_str(), text.data(), n);
    text.resize(static_cast<std::size_t>(n - 1));
    if (oem)
        CharToOemBuffA(text.data(), text.data(), static_cast<DWORD>(text.size()));
    *out += text;
}

// Returns false when the tail asks for help.
bool Model(const char *p, std::string *out)
{
    bool literal = false;
    bool oem = false;
    while (*p) {
        char c = *p++;
        if (c == '"') {
            literal = !literal;
        } else if (literal) {
            *out += c;
        } else if (c == '@') {
            std::uint32_t n = 0;
            while (*p >= '0' && *p <= '9')
                n = n * 10 + static_cast<std::uint32_t>(*p++ - '0');
            auto target = static_cast<std::int32_t>(n);
            std::size_t goal = std::min<std::size_t>(static_cast<std::size_t>(target), 1048576);
            if (target == 0)
                *out += '@';
            else if (target > 0 && goal > out->size())
                out->resize(goal, ' ');
        } else if (c == '\'') {
            if (*p == '\'') {
                p++;
                *out += '"';
            } else {
                *out += '\'';
            }
        } else if (c == '[') {
            if (StartsFolded(p, "DATE:") || StartsFolded(p, "TIME:")) {
                bool date = Upper(static_cast<unsigned char>(*p)) == 'D';
                p += 5;
                ModelField(out, &p, date, oem);
            } else {
                *out += '[';
                if (*p == '[')
                    p++;
            }
        } else if (c == '/') {
            if (StartsFolded(p, "OEM")) {
                oem = true;
                p += 3;
            } else if (*p == '?') {
                return false;
            } else {
                *out += '/';
            }
        } else {
            *out += c;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const SYSTEMTIME moment = {1999, 9, 3, 8, 13, 7, 1, 0};
    PosixFixClock(&moment);

    // An exact-size copy, so that a read past the tail's NUL is caught.
    char *tail = static_cast<char *>(std::malloc(size + 1));
    std::memcpy(tail, data, size);
    tail[size] = '\0';

    RunState state{};
    state.heap = HeapCreate(0, 4096, 0);
    if (!CreateOutputLine(&state))
        std::abort();
    state.cursor = tail;
    ComposeLine(&state);

    if (state.outOfMemory || state.lineLength != state.writePos - state.outputStart ||
        *state.writePos != '\0' || state.writePos > state.lineLimit)
        std::abort();
    std::string expected;
    bool composed = Model(tail, &expected);
    if (composed == (state.helpMark == '?'))
        std::abort();
    if (std::string(state.outputStart, static_cast<std::size_t>(state.lineLength)) != expected &&
        composed)
        std::abort();
    ReleaseOutputLine(&state);
    std::free(tail);
    return 0;
}
