#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit program and starts it under Wine on
# the current display (or on a virtual one when there is none), in a Wine desktop
# window with title bars and a task bar. Arguments go to the program.
set -euo pipefail
source "$(dirname "$0")/env.sh"

"$ZM_ROOT/tools/install-deps.sh"
"$ZM_ROOT/tools/build.sh" win64
zm_display
echo "DISPLAY=$DISPLAY"
zm_wine_prefix win64
mkdir -p "$ZM_BUILD/run"
cd "$ZM_BUILD/run"
exec wine explorer /desktop=zelmora,1024x768 "$ZM_BUILD/win64/app/zelmora.exe" "$@"
