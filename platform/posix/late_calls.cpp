// The dynamic build is linked with bind-now: the loader binds every
// function the program imports before it starts, some 600 instructions
// each, whether the run calls it or not. Functions that only some runs
// need are therefore looked up when first called. A static program binds
// nothing at start, so there they are called directly; but it goes without
// iconv, whose tables for every code page would make it five times larger.
#include "platform/posix/late_calls.h"

#include <locale.h>

#ifdef __GLIBC__
#include <dlfcn.h>
#include <string.h>

namespace {

template <typename Call> void Find(Call *call, const char *name)
{
    void *found = dlsym(RTLD_DEFAULT, name);
    memcpy(call, &found, sizeof *call);
}

} // namespace

const LateCalls *Late()
{
    static LateCalls calls;
    static bool found;
    if (!found) {
        found = true;
        Find(&calls.setlocale, "setlocale");
        Find(&calls.nl_langinfo, "nl_langinfo");
        Find(&calls.iconv_open, "iconv_open");
        Find(&calls.iconv, "iconv");
        Find(&calls.poll, "poll");
    }
    return &calls;
}

#else

const LateCalls *Late()
{
    static const LateCalls calls = {setlocale, nl_langinfo, nullptr, nullptr, poll};
    return &calls;
}

#endif
