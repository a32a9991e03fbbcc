#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it in the data
# folder ~/Zettelfix (created when missing).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/scripts/packages.sh"
ensure_packages "${BUILD_PACKAGES[@]}"
cmake -S "$repo" -B "$repo/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$repo/build" -j"$(nproc)" --target zettelfix
data="${ZETTELFIX_DATA:-$HOME/Zettelfix}"
mkdir -p "$data"
cd "$data"
exec "$repo/build/zettelfix"
