#!/bin/bash
# zmcli archive, then removal, then zmcli restore, with the real programs under
# Wine: a tree (contents, file times) and a registry subtree come back as they were;
# before the removal, zmcli verify and extract on the same archive.
# Usage: bash zmcli_roundtrip.sh WINE ZMCLI
set -u
wine="$1"
zmcli="$2"
dir=$(mktemp -d)
key='HKCU\Software\ZelmoraTest\RestoreSmoke'
cleanup() { "$wine" reg delete "$key" /f >/dev/null 2>&1; rm -rf "$dir"; }
trap cleanup EXIT
wineserver -p </dev/null >/dev/null 2>&1 || true
"$wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
win() { "$wine" winepath -w "$1" 2>/dev/null; }
fail=0

mkdir -p "$dir/src/a/b/c" "$dir/src/empty dir"
head -c 300000 /dev/urandom >"$dir/src/noise.bin"
seq 1 200000 >"$dir/src/a/numbers.txt"
: >"$dir/src/a/b/empty.txt"
printf 'deep' >"$dir/src/a/b/c/deep.txt"
# Even seconds: the archive keeps file times in two-second steps.
for f in noise.bin a/numbers.txt a/b/empty.txt a/b/c/deep.txt; do
  touch -m -d '2019-04-05 06:07:08' "$dir/src/$f"
done
"$wine" reg add "$key\\sub" /v text /t REG_SZ /d "value text" /f >/dev/null 2>&1
"$wine" reg add "$key" /v number /t REG_DWORD /d 1234 /f >/dev/null 2>&1
"$wine" reg add "$key" /ve /t REG_SZ /d "default" /f >/dev/null 2>&1

snapshot() {
  (cd "$dir/src" && find . -printf '%y %P\n' | sort && find . -type f -printf '%P %s %TY-%Tm-%Td %TH:%TM:%TS\n' | sort &&
   find . -type f -exec md5sum {} + | sort -k2)
  "$wine" reg query "$key" /s 2>/dev/null | tr -d '\r'
}
snapshot >"$dir/before"

src="$(win "$dir/src")\\"
archive="$(win "$dir")\\a.zma"
if ! "$wine" "$zmcli" archive "$archive" -a -t "$src" "HKEY_CURRENT_USER\\Software\\ZelmoraTest\\RestoreSmoke" \
     </dev/null >"$dir/archive.out" 2>&1; then
  echo "zmcli archive failed"; cat "$dir/archive.out"; exit 1
fi
# verify finds the archive whole; extract writes the tree below a folder of its
# own (drive Z: as out/Z) with the same contents and write times, the key as a
# REGEDIT4 file.
if ! "$wine" "$zmcli" verify "$archive" </dev/null >"$dir/verify.out" 2>&1 ||
   ! grep -q 'bytes checked: the archive is whole' "$dir/verify.out"; then
  echo "zmcli verify did not find the archive whole"; cat "$dir/verify.out"; fail=1
fi
if ! "$wine" "$zmcli" extract "$archive" "$(win "$dir")\\out" -r "$(win "$dir")\\key.reg" \
     </dev/null >"$dir/extract.out" 2>&1; then
  echo "zmcli extract failed"; cat "$dir/extract.out"; fail=1
fi
copy="$dir/out/Z$dir/src"
files() { (cd "$1" && find . -printf '%y %P\n' | sort && find . -type f -printf '%P %s %TY-%Tm-%Td %TH:%TM:%TS\n' | sort); }
if ! diff <(files "$dir/src") <(files "$copy") || ! diff -r "$dir/src" "$copy" >/dev/null; then
  echo "the extracted tree differs"; fail=1
fi
if ! grep -q '"number"=dword:000004d2' "$dir/key.reg"; then
  echo "the registry file lacks the value"; cat "$dir/key.reg"; fail=1
fi

rm -rf "$dir/src"
"$wine" reg delete "$key" /f >/dev/null 2>&1

"$wine" "$zmcli" restore "$archive" -a -t </dev/null >"$dir/restore.out" 2>&1
rc=$?
# "Все данные были успешно восстановлены" in code page 1251
success=$(printf '\302\361\345 \344\340\355\355\373\345 \341\373\353\350 \363\361\357\345\370\355\356 \342\356\361\361\362\340\355\356\342\353\345\355\373')
if [ "$rc" -ne 0 ]; then echo "zmcli restore: exit code $rc"; fail=1; fi
if ! grep -q "$success" "$dir/restore.out"; then echo "zmcli restore: no success line"; cat "$dir/restore.out"; fail=1; fi

snapshot >"$dir/after"
if ! diff "$dir/before" "$dir/after"; then echo "the restored tree or key differs"; fail=1; fi

"$wine" "$zmcli" list "$archive" </dev/null >"$dir/list.out" 2>&1
rc=$?
if [ "$rc" -ne 0 ]; then echo "zmcli list: exit code $rc"; fail=1; fi
if ! grep -q "	file	.*numbers.txt	plain=" "$dir/list.out"; then echo "zmcli list: no line for numbers.txt"; fail=1; fi
if ! grep -q "	value	HKEY_CURRENT_USER\\\\Software\\\\ZelmoraTest\\\\RestoreSmoke	name=number	type=4	plain=4" "$dir/list.out"; then
  echo "zmcli list: no line for the value"; cat "$dir/list.out"; fail=1
fi
exit $fail
