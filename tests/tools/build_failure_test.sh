#!/bin/sh
# tools/build.sh must fail when the build fails: a stand-in cmake on the PATH
# fails every build, and the script has to exit non-zero and say so.
# Usage: build_failure_test.sh SOURCE_ROOT
root="$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/build/native"
touch "$work/build/native/build.ninja"
cat >"$work/bin/cmake" <<'STUB'
#!/bin/sh
echo "[1/2] Building CXX object x.o"
echo "x.cpp:1: error: something is wrong"
exit 1
STUB
chmod +x "$work/bin/cmake"
if PATH="$work/bin:$PATH" ZM_BUILD="$work/build" bash "$root/tools/build.sh" native \
    >"$work/out.txt" 2>&1; then
  echo "build.sh passed a failed build:"; cat "$work/out.txt"; exit 1
fi
grep -q "build of native failed" "$work/out.txt" || { echo "no failure line:"; cat "$work/out.txt"; exit 1; }
grep -q "error: something is wrong" "$work/out.txt" || { echo "compiler output lost"; exit 1; }
if grep -q '^\[1/2\]' "$work/out.txt"; then echo "progress lines not filtered"; exit 1; fi
echo "build.sh fails a failed build"
