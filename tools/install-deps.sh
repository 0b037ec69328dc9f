#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; quiet and quick when
# everything is there already.
set -euo pipefail

packages=(
  locales cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 binutils-mingw-w64
  wine wine64 wine32:i386
  xvfb xauth x11-apps x11-utils imagemagick googletest
  chromium
)

# The Russian UTF-8 locale: Wine then speaks code page 1251 and can store
# Cyrillic file names on the Linux side.
ensure_locale() {
  locale -a 2>/dev/null | grep -qix 'ru_RU.utf8' && return 0
  localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 >/dev/null 2>&1 ||
    $sudo localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
}

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  ensure_locale
  exit 0
fi

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_locale
