#!/usr/bin/env bash
# Runs a command whose runs under the clock-faking library share one clock
# segment, removed when the command ends.
#
# The library makes a segment and a semaphore in /dev/shm for each process
# it starts in, and removes them only when that process exits normally: the
# program ends with _exit, so each faked run would leave two files. Where
# FAKETIME_SHARED names a pair, the library uses that pair instead; faketime(1)
# makes one for its command and removes it when the command ends.
#
#   shared-clock.sh COMMAND...
if [ -z "${FAKETIME_SHARED:-}" ] && command -v faketime >/dev/null 2>&1; then
  exec faketime -f +0 env -u LD_PRELOAD -u FAKETIME "$@"
fi
exec "$@"
