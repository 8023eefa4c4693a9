#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit tests, the
# tests against a real JACK server, the end-to-end test under Xvfb, the program natively on a
# headless Wayland compositor, the file tests as an ordinary user, the unit tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer,
# the tests of the threaded code under ThreadSanitizer, and a short run of every fuzz target.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests || exit 1

if [[ -z ${XDG_RUNTIME_DIR:-} ]]; then
    XDG_RUNTIME_DIR=$(mktemp -d /tmp/tonvel-runtime-XXXXXX)
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
export XDG_RUNTIME_DIR
chmod 700 "$XDG_RUNTIME_DIR"
export JACK_NO_START_SERVER=1

passed=0
failed=0
jobs=$(nproc)

# Adds the counts of a ctest log to the totals.
count_ctest() {
    local line total bad
    line=$(grep -E "tests passed, [0-9]+ tests? failed out of [0-9]+" "$1" | tail -n1)
    if [[ -z "$line" ]]; then
        failed=$((failed + 1))
        return
    fi
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}

# Runs one script-level check that counts as a single test.
run_check() {
    local name=$1
    shift
    echo "== $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "FAILED: $name"
        failed=$((failed + 1))
    fi
}

echo "== build"
cmake -S . -B build-ci -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
cmake --build build-ci -j"$jobs" || exit 1

echo "== unit tests"
(cd build-ci && ctest --output-on-failure -j"$jobs") 2>&1 | tee build-ci/ctest.log
count_ctest build-ci/ctest.log

# The window operations that need a real X server, which the offscreen run skips.
run_check "window tests under Xvfb" xvfb-run -a -s "-screen 0 1024x768x24" \
    env QT_QPA_PLATFORM=xcb build-ci/tests/tonvel_app_tests --gtest_brief=1

for check in scripts/jack_midi_test.sh scripts/midi_input_test.sh scripts/mixer_test.sh scripts/pipewire_test.sh \
    scripts/e2e_test.sh scripts/songs_test.sh scripts/face_test.sh scripts/a11y_test.sh scripts/orca_test.sh \
    scripts/wayland_test.sh; do
    [[ -f $check ]] && run_check "$(basename "$check" .sh)" bash "$check" build-ci
done

# PipeWire, PulseAudio and a JACK server stop and start again under the running program: the
# sound comes back within 2 s each time (twice each here; the script's default is ten).
run_check "server_restart_test" bash scripts/server_restart_test.sh build-ci 2

# A MIDI keyboard plugged in and pulled out, the pedal and the mouse, on the real program.
run_check "instruments_test" bash scripts/instruments_test.sh build-ci

# The manual's pictures show the window as it is.
run_check "screenshots_test" bash scripts/screenshots_test.sh build-ci

# A signal ends the real program quickly, whatever is open, with its settings written.
run_check "exit_test" bash scripts/exit_test.sh build-ci

# Installing to a prefix, the desktop entry, the metainfo and the Debian package.
run_check "package_test" bash scripts/package_test.sh build-ci

# Unreadable files and a read-only program directory, as an ordinary user (nobody, when root).
run_check "files as an ordinary user" bash scripts/ordinary_user_test.sh build-ci

# A tonvel.ini that is a link, a pipe, a folder, too large or unreadable, and a waiting name for
# an unsaved recording that is taken: each left alone and told, the start not held up.
run_check "hostile files" bash scripts/hostile_files_test.sh build-ci

echo "== sanitizer build"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DTONVEL_SANITIZE=ON -DTONVEL_BUILD_APP=OFF \
    -DTONVEL_BUILD_BENCHMARKS=OFF >/dev/null || exit 1
cmake --build build-asan -j"$jobs" || exit 1
(cd build-asan && LSAN_OPTIONS=suppressions=$PWD/../scripts/lsan.supp ctest --output-on-failure -j"$jobs") 2>&1 |
    tee build-asan/ctest.log
count_ctest build-asan/ctest.log

# The tests of the code that runs threads, under ThreadSanitizer.
echo "== thread sanitizer build"
tsan_log=$(mktemp /tmp/tonvel-tsan-log-XXXXXX)
JOBS="$jobs" bash scripts/tsan_test.sh build-tsan 2>&1 | tee "$tsan_log"
tsan_counts=$(grep -E '^tsan: [0-9]+ passed, [0-9]+ failed$' "$tsan_log" | tail -n1)
if [[ -n $tsan_counts ]]; then
    passed=$((passed + $(sed -E 's/^tsan: ([0-9]+) passed.*/\1/' <<<"$tsan_counts")))
    failed=$((failed + $(sed -E 's/.* ([0-9]+) failed$/\1/' <<<"$tsan_counts")))
else
    failed=$((failed + 1))
fi
rm -f "$tsan_log"

# Each fuzz target for 25 s under AddressSanitizer and UndefinedBehaviorSanitizer.
echo "== fuzzing"
run_check "fuzz targets" env JOBS="$jobs" bash scripts/fuzz.sh 25

echo
echo "Summary: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
