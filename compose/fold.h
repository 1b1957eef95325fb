// Byte-wise case folding over the ANSI code page. Not the C library's
// toupper/tolower: these fold the high letters too, and by fixed ranges.
#ifndef KOLBEX_COMPOSE_FOLD_H
#define KOLBEX_COMPOSE_FOLD_H

inline unsigned char FoldUpper(unsigned char byte)
{
    return ((byte >= 0x61 && byte <= 0x7A) || byte >= 0xE0)
               ? static_cast<unsigned char>(byte - 0x20)
               : byte;
}

// 0xDF has no capital partner, so it is left alone.
inline unsigned char FoldLower(unsigned char byte)
{
    return ((byte >= 0x41 && byte <= 0x5A) || (byte >= 0xC0 && byte <= 0xDE))
               ? static_cast<unsigned char>(byte + 0x20)
               : byte;
}

#endif
