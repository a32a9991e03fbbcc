#!/usr/bin/env bash
# Installs what is missing, builds the program and its tests, and runs every
# test: once in a normal build, once built with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/scripts/packages.sh"
# The e-invoice tests check their XML with ../shared/tools/einvoice-check,
# which runs the published rules with xmllint and (from npm) xslt3.
ensure_packages "${BUILD_PACKAGES[@]}" poppler-utils dpkg-dev dosfstools fusefat python3 libxml2-utils
command -v node >/dev/null && command -v npm >/dev/null || ensure_packages nodejs npm
jobs=$(nproc)

cmake -S "$repo" -B "$repo/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$repo/build" -j"$jobs"
ctest --test-dir "$repo/build" --output-on-failure -j"$jobs"

cmake -S "$repo" -B "$repo/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DZETTELFIX_SANITIZE=ON
cmake --build "$repo/build-sanitize" -j"$jobs"
ctest --test-dir "$repo/build-sanitize" --output-on-failure -j"$jobs"

# A short run of each fuzz target (about a minute in all), built with clang.
ensure_packages clang libclang-rt-14-dev
BUILD_DIR="$repo/build-fuzz" sh "$repo/fuzz/run.sh" 10
