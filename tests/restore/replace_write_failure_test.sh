#!/bin/bash
# zmcli restore -o under a file-size limit, over a file that is there: the
# archived file cannot be written whole (as on a full disk), so the file on the
# disk must keep its contents, attributes and times, no temporary file may be
# left beside it, the log must say so and the exit code be 1. Once as Windows
# reports itself under Wine, once as Windows 98 (old files moved aside).
# Usage: replace_write_failure_test.sh WINE ZMCLI
set -u
wine="$1"
zmcli="$2"
dir=$(mktemp -d)
appkey='HKCU\Software\Wine\AppDefaults\zmcli.exe'
cleanup() { "$wine" reg delete "$appkey" /f >/dev/null 2>&1; rm -rf "$dir"; }
trap cleanup EXIT
wineserver -p </dev/null >/dev/null 2>&1 || true
"$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
win() { "$wine" winepath -w "$1" 2>/dev/null; }
fail=0

mkdir -p "$dir/src"
head -c 3000000 /dev/urandom >"$dir/src/big.bin"
src="$(win "$dir/src")\\"
archive="$(win "$dir")\\a.zma"
"$wine" "$zmcli" archive "$archive" -a -t "$src" >"$dir/archive.log" 2>&1 </dev/null ||
  { echo "zmcli archive failed"; cat "$dir/archive.log"; exit 1; }

# what is on the disk: contents, DOS attributes (Wine keeps them in an extended
# attribute), modification time, and the folder's entries
state() {
  python3 - "$dir/src" <<'PY'
import hashlib, os, sys
d = sys.argv[1]; f = os.path.join(d, "big.bin")
try:
    attr = os.getxattr(f, "user.DOSATTRIB").decode(errors="replace")
except OSError:
    attr = "-"
st = os.stat(f)
print(hashlib.md5(open(f, "rb").read()).hexdigest(), attr, st.st_mtime_ns, sorted(os.listdir(d)))
PY
}

for version in default win98; do
  printf 'old contents of the file' >"$dir/src/big.bin"
  "$wine" cmd /c attrib +r +h "$(win "$dir/src/big.bin")" </dev/null >/dev/null 2>&1
  touch -m -d '2011-02-03 04:05:06' "$dir/src/big.bin"
  before=$(state)
  if [ "$version" = default ]; then
    "$wine" reg delete "$appkey" /f >/dev/null 2>&1
  else
    "$wine" reg add "$appkey" /v Version /d "$version" /f >/dev/null 2>&1
  fi
  # Only the command is limited: its output goes through a pipe to a file
  # written outside the limit.
  { ( trap '' XFSZ; ulimit -f 1024; exec "$wine" "$zmcli" restore "$archive" -o -a -t ) 2>&1 </dev/null
    echo "exit=$?"; } | cat >"$dir/stdout"
  rc=$(sed -n 's/^exit=//p' "$dir/stdout")
  after=$(state)
  if [ "$rc" != 1 ]; then echo "$version: exit code $rc, expected 1"; fail=1; fi
  # "Не удалось записать файл" in code page 1251
  if ! grep -q "$(printf '\315\345 \363\344\340\353\356\361\374 \347\340\357\350\361\340\362\374 \364\340\351\353')" "$dir/stdout"; then
    echo "$version: no write-failure line in the log"; cat "$dir/stdout"; fail=1
  fi
  if [ "$before" != "$after" ]; then
    echo "$version: the file on the disk changed"; echo " before: $before"; echo " after:  $after"; fail=1
  fi
  "$wine" cmd /c attrib -r -h "$(win "$dir/src/big.bin")" </dev/null >/dev/null 2>&1
done
exit $fail
