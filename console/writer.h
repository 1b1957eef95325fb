// The console writer: text to standard output, a console or a redirected
// file or pipe alike.
#ifndef KOLBEX_CONSOLE_WRITER_H
#define KOLBEX_CONSOLE_WRITER_H

#include <stddef.h>

// Fetches the standard handles and registers the console control handler.
void StartConsole();

// Write the bytes unchanged; WriteLine adds a single line feed. Each returns
// whether every byte was written. A null text writes nothing.
bool WriteText(const char *text);
bool WriteLine(const char *text);

// Writes a message to standard error, the one the run ends with when an
// option fails; whether every byte was written.
bool WriteError(const char *text);

#endif
