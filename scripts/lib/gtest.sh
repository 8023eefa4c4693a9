# Reading a GoogleTest run in the test scripts; sourced by them.

# Prints the lines of a run's $output that tell what ran and what failed.
gtest_show() {
    echo "$output" | grep -E '^\[ *(RUN|OK|FAILED|SKIPPED|PASSED|=+) *\]|Failure|Expected|Which is|Value of'
}

# Fails, as $1, unless the run ($output, $status) passed with every test run and none
# skipped; $2 names those tests in the message.
gtest_require_all_passed() {
    if [[ $status -ne 0 ]]; then
        echo "$output" | tail -n 40 >&2
        echo "$1: FAILED (exit status $status)" >&2
        return 1
    fi
    if ! grep -q '^\[  PASSED  \] [1-9]' <<<"$output" || grep -q '^\[  SKIPPED \]' <<<"$output"; then
        echo "$1: $2 did not all run" >&2
        return 1
    fi
}
