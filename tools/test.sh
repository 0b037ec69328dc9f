#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs every test: the
# native tests directly, the Windows tests of both widths under Wine on a virtual
# display, and each fuzz target for a short fixed time. Fails if anything fails.
set -uo pipefail
source "$(dirname "$0")/env.sh"

"$ZM_ROOT/tools/install-deps.sh" || exit 1
"$ZM_ROOT/tools/build.sh" native win32 win64 fuzz || exit 1

zm_display
trap '[ -n "${ZM_XVFB_PID:-}" ] && kill "$ZM_XVFB_PID" 2>/dev/null' EXIT

passed=0
failed=0
count() {
  if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $2"; fi
}

echo "== native tests"
(cd "$ZM_BUILD/native" && ctest --output-on-failure --timeout 600)
count $? "native tests"

for c in win32 win64; do
  echo "== $c tests under Wine"
  zm_wine_prefix "$c"
  (cd "$ZM_BUILD/$c" && ctest --output-on-failure --timeout 600)
  count $? "$c tests"
done

echo "== fuzzing"
for f in "$ZM_BUILD"/fuzz/tests/fuzz_*; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus="$ZM_BUILD/fuzz/corpus-$name"
  mkdir -p "$corpus"
  "$f" -max_total_time="${ZM_FUZZ_SECONDS:-20}" -seed=1 -rss_limit_mb=2048 "$corpus" \
    >"$ZM_BUILD/fuzz/$name.log" 2>&1
  rc=$?
  tail -n 1 "$ZM_BUILD/fuzz/$name.log"
  count $rc "$name (log: $ZM_BUILD/fuzz/$name.log)"
done

echo "test suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
