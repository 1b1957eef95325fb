// Both targets' models know the C locale's rules (bytes, English names): each target sets that
// locale, and a zone whose date can differ from UTC's, before they are first read, whatever the
// environment of the run says.
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("LC_ALL", "C", 1);
    setenv("TZ", "<+0530>-5:30", 1);
    unsetenv("LOCPATH");
    return 0;
}
