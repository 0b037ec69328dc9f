#!/bin/sh
# zmcli archive under a file-size limit: writes past the limit fail as on a full
# disk. The archive must be removed, the log must say so and the exit code be 1.
# Usage: write_failure_test.sh WINE ZMCLI
set -u
wine="$1"
zmcli="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
head -c 3000000 /dev/urandom >"$dir/big.bin"
printf 'small' >"$dir/small.txt"
win() { "$wine" winepath -w "$1" 2>/dev/null; }
big=$(win "$dir/big.bin")
small=$(win "$dir/small.txt")
mkdir "$dir/tree"
for i in 1 2 3 4 5 6 7 8 9 10 11 12; do head -c 300000 /dev/urandom >"$dir/tree/f$i.bin"; done
tree="$(win "$dir/tree")\\"
fail=0

# The Wine server must already run outside the limit (and outside the pipes
# below): one started under the limit could not save the registry.
wineserver -p </dev/null >/dev/null 2>&1 || true
"$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true

check() { # limit-in-KiB label [items...]
  out="$dir/out.zma"
  rm -f "$out"
  # Only the command is limited: its output goes through a pipe to a file
  # written outside the limit.
  target="$(win "$dir")\\out.zma"
  { ( trap '' XFSZ; ulimit -f "$1"; shift 2; [ $# -gt 0 ] || set -- "$small" "$big"
        exec "$wine" "$zmcli" archive "$target" "$@" ) 2>&1
    echo "exit=$?"; } | cat >"$dir/stdout"
  rc=$(sed -n 's/^exit=//p' "$dir/stdout")
  if [ "$rc" -ne 1 ]; then echo "$2: exit code $rc, expected 1"; fail=1; fi
  if [ -e "$out" ]; then echo "$2: the incomplete archive was left behind"; fail=1; fi
  # "Ошибка записи архива" in code page 1251
  if ! grep -q "$(printf '\316\370\350\341\352\340 \347\340\357\350\361\350 \340\360\365\350\342\340')" "$dir/stdout"; then
    echo "$2: no write-failure line in the log"; cat "$dir/stdout"; fail=1
  fi
}

check 1024 "limit inside the compressed data"
check 0 "limit before the header"
check 1024 "limit while helper threads code a tree" -j 4 "$tree"
exit $fail
