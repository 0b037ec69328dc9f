#!/usr/bin/env bash
# Makes the release, dist/zelmora-1.0.zip:
#   zelmora.exe, zmcli.exe          the 32-bit pair, which runs on every system
#   x64/zelmora.exe, x64/zmcli.exe  the 64-bit pair
#   ReadMe.txt, License.txt         the program's texts, code page 1251, CR LF
#   linux/zmcli                     the Linux rescue zmcli (static)
# Builds what it needs first (win32, win64 and rescue).
set -euo pipefail
source "$(dirname "$0")/env.sh"

version=1.0
"$ZM_ROOT/tools/build.sh" win32 win64 rescue

dist="$ZM_ROOT/dist"
stage="$ZM_BUILD/package/zelmora-$version"
rm -rf "$stage"
mkdir -p "$stage/x64" "$stage/linux" "$dist"
cp "$ZM_BUILD/win32/app/zelmora.exe" "$ZM_BUILD/win32/cli/zmcli.exe" "$stage/"
cp "$ZM_BUILD/win64/app/zelmora.exe" "$ZM_BUILD/win64/cli/zmcli.exe" "$stage/x64/"
cp "$ZM_BUILD/rescue/cli/zmcli" "$stage/linux/"
# The same texts the program carries, made by the win32 build.
cp "$ZM_BUILD/win32/res/texts/ReadMe.cp1251.txt" "$stage/ReadMe.txt"
cp "$ZM_BUILD/win32/res/texts/License.cp1251.txt" "$stage/License.txt"

zip="$dist/zelmora-$version.zip"
rm -f "$zip"
python3 - "$stage" "$zip" <<'EOF'
import os, sys, zipfile
stage, out = sys.argv[1], sys.argv[2]
names = ["zelmora.exe", "zmcli.exe", "ReadMe.txt", "License.txt",
         "x64/zelmora.exe", "x64/zmcli.exe", "linux/zmcli"]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name in names:
        path = os.path.join(stage, name)
        info = zipfile.ZipInfo.from_file(path, name)
        info.compress_type = zipfile.ZIP_DEFLATED
        if name == "linux/zmcli":
            info.external_attr = (0o100755 << 16)  # stays executable when unzipped
        with open(path, "rb") as f:
            z.writestr(info, f.read())
EOF
echo "made $zip"
