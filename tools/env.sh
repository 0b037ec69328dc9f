# Shared settings of the build and test scripts (sourced, not run).
ZM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ZM_BUILD="${ZM_BUILD:-$ZM_ROOT/build}"
export WINEDEBUG=-all
# Only with a Russian locale is the ANSI code page 1251 and do the common
# controls speak Russian; the glibc locale itself need not exist.
{ export LC_ALL=ru_RU.UTF-8; } 2>/dev/null
export WINEDLLOVERRIDES="mscoree,mshtml="

# zm_wine_prefix CONFIG: points WINEPREFIX at the build's own prefix, boots it once
# and keeps its server warm, detached from the caller's pipes.
zm_wine_prefix() {
  export WINEPREFIX="$ZM_BUILD/$1/wineprefix"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1 || true
    wine wineboot -i </dev/null >/dev/null 2>&1 || true
  fi
  wineserver -p </dev/null >/dev/null 2>&1 || true
  # a first trivial start so that the helper processes are up before any pipe
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# zm_display: makes sure DISPLAY names a running X server, starting Xvfb if needed.
zm_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" </dev/null >/dev/null 2>&1 &
  ZM_XVFB_PID=$!
  local n
  read -r n <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$n"
}
