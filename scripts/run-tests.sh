#!/usr/bin/env bash
# Sets up, builds and runs every test:
#   1. installs missing Debian packages (scripts/setup-deps.sh);
#   2. builds everything in build/, checks that every source file is clang-formatted
#      (target format-check) and runs all suites with CTest;
#   3. builds the logic libraries, the virtual modem and their suites with AddressSanitizer and
#      UndefinedBehaviorSanitizer in build-asan/ and runs the core, serial, modem and virtual
#      modem suites there;
#   4. builds the sending, device scan, modem and virtual modem suites with ThreadSanitizer in
#      build-tsan/ and runs them there (a sending run uses one thread per device, the scan and
#      the test message run on workers, every virtual modem has its own), halting at the first
#      report. Qt itself is not instrumented; scripts/tsan.supp says what is suppressed and why
#      (only Qt's own hand-over of queued calls; ours is named to the checker in
#      core/app_thread_queue);
#   5. when clang is there, builds the fuzzing harnesses (fuzz/) with libFuzzer, AddressSanitizer
#      and UndefinedBehaviorSanitizer in build-fuzz/ and runs each for 30 seconds from its corpus
#      (as many at once as there are cores), failing on the first broken property or fault. The corpora themselves run as ordinary
#      tests in steps 2 and 3 (fuzz_replay_*), whatever the compiler.
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
# Formatting is part of the tests: a file clang-format would change fails the run here, before
# the long suites. `cmake --build build --target format` mends them.
echo "== format check"
cmake --build build --target format-check
echo "== tests (build/)"
ctest --test-dir build --output-on-failure -j "$jobs" --timeout 600

echo "== sanitizer build (build-asan/, address + undefined)"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESK_SANITIZE=address,undefined \
    -DTESK_WITH_WIDGETS=OFF -DTESK_WITH_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"
echo "== sanitizer tests (core, serial, modem, virtual modem)"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs" --timeout 900
echo "== thread sanitizer build (build-tsan/)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESK_SANITIZE=thread \
    -DTESK_WITH_WIDGETS=OFF -DTESK_WITH_BENCH=OFF >/dev/null
tsan_suites=(tests/sending/sending_tests tests/sending/exactly_once_tests
    tests/devices/devices_tests tests/modem/modem_tests tests/vmodem/vmodem_tests)
cmake --build build-tsan -j "$jobs" --target "${tsan_suites[@]##*/}"
echo "== thread sanitizer tests (sending, device scan, modem, virtual modem)"
# The suites run one after the other: each starts dozens of threads of its own. The modem
# suite scans as a throw-away user through QProcess, which forks a threaded process and execs
# at once; die_after_fork=0 lets that child go on to the exec. ignore_noninstrumented_modules
# keeps the copies and frees Qt makes inside its own locked queues (invisible locks, see
# scripts/tsan.supp) from being taken for our races.
tsan_options="halt_on_error=1 die_after_fork=0 second_deadlock_stack=1"
tsan_options+=" ignore_noninstrumented_modules=1 suppressions=$PWD/scripts/tsan.supp"
for suite in "${tsan_suites[@]}"; do
    echo "-- ${suite##*/}"
    TSAN_OPTIONS="$tsan_options" timeout 900 "build-tsan/$suite" --gtest_brief=1
done

if command -v clang++ >/dev/null 2>&1; then
    echo "== fuzzing build (build-fuzz/, clang, libFuzzer + address + undefined)"
    cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESK_FUZZ=ON \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
        -DTESK_WITH_WIDGETS=OFF -DTESK_WITH_BENCH=OFF >/dev/null
    harnesses=(import rtf stores modem_answers adb_output pdu pdu_inbound delivery_files vmodem_decoder)
    cmake --build build-fuzz -j "$jobs" --target "${harnesses[@]/%/_fuzz}"
    echo "== fuzzing (30 s per harness, $jobs at a time)"
    findings=build-fuzz/findings
    mkdir -p "$findings"
    fuzz_harness() {
        local harness=$1 scratch log
        # New inputs go to a scratch folder: the repository's corpus changes only by hand.
        scratch=$(mktemp -d "$XDG_RUNTIME_DIR/fuzz-$harness.XXXXXX")
        log="$findings/$harness.log"
        # A fixed seed: the gate walks the same mutations every time, so it fails on what a
        # change broke, not on the luck of one run; longer random runs are the README's.
        if ! "build-fuzz/fuzz/${harness}_fuzz" -seed=1 -max_total_time=30 -timeout=10 \
            -print_final_stats=1 -artifact_prefix="$findings/$harness-" \
            "$scratch" "fuzz/corpus/$harness" >"$log" 2>&1; then
            tail -n 40 "$log"
            echo "fuzzing $harness found a fault; the input is in $findings/ (add it to" \
                "fuzz/corpus/$harness/ once mended)"
            return 1
        fi
        echo "-- $harness: $(grep -m1 '^Done' "$log"), $(grep -o 'cov: [0-9]*' "$log" | tail -n 1)"
    }
    export -f fuzz_harness
    export findings
    printf '%s\n' "${harnesses[@]}" | xargs -P "$jobs" -I{} bash -c 'fuzz_harness {}' || exit 1
fi
echo "== all tests passed"
