// Numbers as decimal text, for the formatter and the TZ rule. snprintf
// would serve, but the static program would then carry the whole printf
// family: some 20 KB, a third of its room.
#ifndef KOLBEX_PLATFORM_POSIX_DIGITS_H
#define KOLBEX_PLATFORM_POSIX_DIGITS_H

// Writes the digits of `value`, at least `minimum` of them (zeros in
// front), with a NUL, and returns how many there are.
inline int DecimalDigits(unsigned value, int minimum, char (&text)[12])
{
    char reversed[12];
    int n = 0;
    do {
        reversed[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (n < minimum && n < 11)
        reversed[n++] = '0';
    for (int i = 0; i < n; i++)
        text[i] = reversed[n - 1 - i];
    text[n] = '\0';
    return n;
}

#endif
