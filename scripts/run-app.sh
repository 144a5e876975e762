#!/usr/bin/env bash
# Sets up, builds, installs for the current user and starts the application:
#   1. installs missing Debian packages (scripts/setup-deps.sh, plus adb for the Android mode);
#   2. builds in build/ (incremental: a second run only rebuilds what changed);
#   3. installs into ~/.local: tesk-sms, tesk-sms-cli and tesk-virtual-modem in ~/.local/bin,
#      the desktop entry and icon under ~/.local/share, and the resource directory
#      ~/.local/share/tesk-sms with Help.pdf and the adb link (the data directory inside it is
#      created by the application and never touched by an install or uninstall);
#   4. starts ~/.local/bin/tesk-sms with the remaining arguments.
# Options:
#   --virtual-modems N   also start N virtual modems for a rehearsal without SIM or cost; each
#                        logs every SMS it receives to ~/.local/share/tesk-sms/virtual-modems/
#                        VM<i>.jsonl, and all of them stop when the application ends.
#   --fake-phone         rehearse the Android mode with a stand-in phone instead of a real one:
#                        the application runs on the separate resource directory
#                        ~/.local/share/tesk-sms-rehearsal (its own data, so rehearsals never
#                        mix with real sent items) whose adb is tesk-fake-adb; every message the
#                        phone was asked to send is logged in
#                        ~/.local/share/tesk-sms-rehearsal/phone/activity_starts.jsonl.
#   --no-start           build and install only.
# Uninstall: cmake --build build --target uninstall
# Needs a graphical session (DISPLAY or WAYLAND_DISPLAY) to start; without one it builds,
# installs, says so and stops.
set -euo pipefail
cd "$(dirname "$0")/.."

virtual_modems=0
fake_phone=0
start=1
app_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --virtual-modems) virtual_modems="${2:-}"; shift 2 || shift ;;
        --virtual-modems=*) virtual_modems="${1#*=}"; shift ;;
        --fake-phone) fake_phone=1; shift ;;
        --no-start) start=0; shift ;;
        *) app_args+=("$1"); shift ;;
    esac
done
if ! [[ "$virtual_modems" =~ ^[0-9]+$ ]] || [ "$virtual_modems" -gt 32 ]; then
    echo "run-app: --virtual-modems wants a number from 0 to 32" >&2
    exit 2
fi

bash scripts/setup-deps.sh adb
jobs=$(nproc 2>/dev/null || echo 2)
prefix="$HOME/.local"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX="$prefix" \
    >/dev/null
targets=(tesk-sms tesk-virtual-modem)
known=$(cmake --build build --target help 2>/dev/null || true)
for optional in tesk-sms-cli tesk-fake-adb help_pdf; do
    if grep -q "^$optional:" <<<"$known"; then
        targets+=("$optional")
    fi
done
cmake --build build -j "$jobs" --target "${targets[@]}"
cmake --install build --strip >/dev/null
echo "run-app: installed into $prefix (uninstall: cmake --build build --target uninstall)"

if [ "$start" -eq 0 ]; then
    exit 0
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Installed $prefix/bin/tesk-sms, but there is no graphical session (DISPLAY or" >&2
    echo "WAYLAND_DISPLAY) to show it in. Run this command from a desktop terminal." >&2
    exit 1
fi

pids=()
stop_modems() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
}
trap stop_modems EXIT
if [ "$virtual_modems" -gt 0 ]; then
    logs="$prefix/share/tesk-sms/virtual-modems"
    mkdir -p "$logs"
    for i in $(seq 0 $((virtual_modems - 1))); do
        # Distinct IMEIs, so the device window lists every modem once.
        imei=$(printf '3569380356%05d' "$i")
        "$prefix/bin/tesk-virtual-modem" --name "VM$i" --imei "$imei" --log "$logs/VM$i.jsonl" \
            >"$logs/VM$i.port" &
        pids+=($!)
    done
    # Each prints its port when it is ready.
    for i in $(seq 0 $((virtual_modems - 1))); do
        for _ in $(seq 1 100); do
            [ -s "$logs/VM$i.port" ] && break
            sleep 0.05
        done
    done
    echo "run-app: $virtual_modems virtual modem(s) ready; received SMS are logged in $logs"
fi
if [ "$fake_phone" -eq 1 ]; then
    rehearsal="$prefix/share/tesk-sms-rehearsal"
    phone="$rehearsal/phone"
    mkdir -p "$phone"
    ln -sfn "$prefix/bin/tesk-fake-adb" "$rehearsal/adb"
    if [ -e "$prefix/share/tesk-sms/Help.pdf" ]; then
        ln -sfn "$prefix/share/tesk-sms/Help.pdf" "$rehearsal/Help.pdf"
    fi
    # The stand-in phone accepts any package; the file only has to be there.
    [ -e "$rehearsal/RUZIVeruDIR.apk" ] || printf 'rehearsal stand-in\n' >"$rehearsal/RUZIVeruDIR.apk"
    printf 'List of devices attached\nREHEARSAL01\tdevice\n\n' >"$phone/devices.txt"
    printf 'ro.product.manufacturer=Rehearsal\nro.product.model=Phone\nro.build.version.release=14\n' \
        >"$phone/build.prop"
    export TESK_SMS_RESOURCE_DIR="$rehearsal" FAKE_ADB_STATE="$phone"
    echo "run-app: rehearsal phone ready; what it is asked to send goes to $phone/activity_starts.jsonl"
fi
"$prefix/bin/tesk-sms" "${app_args[@]}"
