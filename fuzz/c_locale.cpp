// Both targets' models know the C locale's rules (Windows-1252 letters,
// English names): each target sets that locale before it is first read,
// whatever the environment of the run says.
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setenv("LC_ALL", "C", 1);
    unsetenv("LOCPATH");
    return 0;
}
