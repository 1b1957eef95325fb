#include "run/run.h"

#include "compose/scanner.h"
#include "console/writer.h"
#include "platform/platform.h"
#include "run/tail.h"
#include "run/texts.h"

namespace {

// The initial size of the run's private heap; it grows without a maximum.
constexpr SIZE_T HeapInitialSize = 4096;

void Finish(RunState *state)
{
    if (state->outOfMemory) {
        // A cut line is worse than none: write nothing.
        state->exitCode = ExitFailed;
    } else if (state->failed) {
        // Nothing on standard output, never a stamp of another moment.
        WriteError(state->outputStart);
        state->exitCode = ExitFailed;
    } else if (state->lineLength == 0 || state->helpMark == '?') {
        WriteLine(Banner);
        WriteText(HelpText);
        state->exitCode = ExitUsage;
    } else {
        state->exitCode = WriteText(state->outputStart) ? ExitWritten : ExitFailed;
    }
}

} // namespace

void RunHelp()
{
    StartConsole();
    bool banner = WriteLine(Banner);
    bool help = WriteText(HelpText);
    ExitProcess(banner && help ? ExitWritten : ExitFailed);
}

void RunVersion()
{
    StartConsole();
    ExitProcess(WriteLine(VersionLine) ? ExitWritten : ExitFailed);
}

void RunKolbex()
{
    RunState state{};
    state.heap = HeapCreate(0, HeapInitialSize, 0);
    StartConsole();
    // Null where the command line has to be built (on POSIX, from the
    // arguments) and there is no memory for it.
    const char *commandLine = nullptr;
    if (state.heap && CreateOutputLine(&state))
        commandLine = GetCommandLineA();
    if (commandLine) {
        state.cursor = CommandTail(commandLine);
        ComposeLine(&state);
    } else {
        state.outOfMemory = 1;
    }
    Finish(&state);
    ReleaseOutputLine(&state);
    ExitProcess(static_cast<UINT>(state.exitCode));
}
