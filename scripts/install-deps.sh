#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# only when one of them is missing. Safe to run again and again.
set -euo pipefail

packages=(
  build-essential g++ cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
  libsqlite3-dev sqlite3
  libjpeg62-turbo-dev
  libgtest-dev googletest
  fonts-dejavu-core
  qt6-translations-l10n
  python3
  xvfb
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Instalando: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
