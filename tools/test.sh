#!/usr/bin/env bash
# Installs what is missing, builds and runs the tests: the native tests directly,
# the Windows tests of both widths under Wine on a virtual display, and each fuzz
# target for a short fixed time. Fails if anything fails.
#
#   tools/test.sh                      every configuration, every test
#   tools/test.sh win64 -R restore     only win64, only the ctest tests matching
#                                      "restore" (any arguments after the
#                                      configuration names go to ctest)
# Without ctest arguments the Windows programs' imports are checked too, and
# with both widths the release is made and its listing checked.
# Configurations: native, win32, win64, fuzz.
set -uo pipefail
source "$(dirname "$0")/env.sh"

configs=()
while [ $# -gt 0 ]; do
  case "$1" in
    native|win32|win64|fuzz) configs+=("$1"); shift ;;
    *) break ;;
  esac
done
[ ${#configs[@]} -eq 0 ] && configs=(native win32 win64 fuzz)
ctest_args=("$@")

"$ZM_ROOT/tools/install-deps.sh" || exit 1
"$ZM_ROOT/tools/build.sh" "${configs[@]}" || exit 1

passed=0
failed=0
count() {
  if [ "$1" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $2"; fi
}

for c in "${configs[@]}"; do
  case "$c" in
    native)
      echo "== native tests"
      (cd "$ZM_BUILD/native" && ctest --output-on-failure --timeout 600 ${ctest_args[@]+"${ctest_args[@]}"})
      count $? "native tests"
      ;;
    win32|win64)
      if [ -z "${ZM_XVFB_PID:-}" ]; then
        zm_display
        trap '[ -n "${ZM_XVFB_PID:-}" ] && kill "$ZM_XVFB_PID" 2>/dev/null' EXIT
      fi
      echo "== $c tests under Wine"
      zm_wine_prefix "$c"
      (cd "$ZM_BUILD/$c" && ctest --output-on-failure --timeout 600 ${ctest_args[@]+"${ctest_args[@]}"})
      count $? "$c tests"
      ;;
    fuzz)
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
      ;;
  esac
done

# Whole runs (no ctest filter) of the Windows builds check what the programs
# import against the oldest systems; with both widths they make the release
# once and check its listing.
if [ ${#ctest_args[@]} -eq 0 ]; then
  programs=()
  for c in "${configs[@]}"; do
    case "$c" in win32|win64) programs+=("$ZM_BUILD/$c/app/zelmora.exe" "$ZM_BUILD/$c/cli/zmcli.exe") ;; esac
  done
  if [ ${#programs[@]} -gt 0 ]; then
    echo "== imports"
    "$ZM_ROOT/tools/check-imports" "${programs[@]}"
    count $? "imports newer than the oldest systems"
  fi
  if [ ${#programs[@]} -eq 4 ]; then
    echo "== release"
    "$ZM_ROOT/tools/package.sh" >"$ZM_BUILD/package.log" 2>&1 && "$ZM_ROOT/tools/check-package"
    count $? "release package (log: $ZM_BUILD/package.log)"
  fi
fi

echo "test suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
