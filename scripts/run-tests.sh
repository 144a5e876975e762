#!/usr/bin/env bash
# Sets up, builds and runs every test:
#   1. installs missing Debian packages (scripts/setup-deps.sh);
#   2. builds everything in build/ and runs all suites with CTest;
#   3. builds the logic libraries, the virtual modem and their suites with AddressSanitizer and
#      UndefinedBehaviorSanitizer in build-asan/ and runs the core, serial, modem and virtual
#      modem suites there.
# Builds are incremental; a second run only rebuilds what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh

jobs=$(nproc 2>/dev/null || echo 2)
export QT_QPA_PLATFORM=offscreen
export TESK_SMS_LOG_SYSLOG=0  # the suites log thousands of modem lines; keep them out of syslog
# Every modem conversation in the suites runs against virtual modems with a private runtime
# folder, so nothing here touches the user's own virtual modems.
XDG_RUNTIME_DIR=$(mktemp -d /tmp/tesk-sms-tests.XXXXXX)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT

echo "== build (build/)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
echo "== tests (build/)"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 600

echo "== sanitizer build (build-asan/, address + undefined)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESK_SANITIZE=address,undefined \
    -DTESK_WITH_WIDGETS=OFF -DTESK_WITH_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
echo "== sanitizer tests (core, serial, modem, virtual modem)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 900
echo "== all tests passed"
