# Helpers of the end-to-end suites for setting up the simulated machine.

# A machine from the scenario text on standard input.
machine() {
    cat > "$BATS_TEST_TMPDIR/scenario"
    "$ZAN_BIN/zansim" create "$BATS_TEST_TMPDIR/scenario" >/dev/null
}

# The demo machine.
demo() {
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
}
