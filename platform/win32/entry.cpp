#include "run/run.h"

int main()
{
    RunKolbex();
}
