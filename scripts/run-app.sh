#!/usr/bin/env bash
# Sets up, builds and starts the application:
#   1. installs missing Debian packages (scripts/setup-deps.sh);
#   2. builds in build/ (incremental);
#   3. starts build/src/app/tesk-sms with any arguments given to this script.
# Needs a graphical session (DISPLAY or WAYLAND_DISPLAY); without one it says so and stops
# after the build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" --target tesk-sms tesk-virtual-modem

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Built build/src/app/tesk-sms, but there is no graphical session (DISPLAY or" >&2
    echo "WAYLAND_DISPLAY) to show it in. Run this command from a desktop terminal." >&2
    exit 1
fi
exec build/src/app/tesk-sms "$@"
