#!/usr/bin/env bats
# zansim changes made at once, beside requests, and changes killed at any
# moment: nothing is lost, and the root always loads. Each test is bounded
# to a few seconds.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
    "$zansim" create >/dev/null
}

@test "changes made at once beside reads all take effect and leave a readable root" {
    "$zansim" clock set 1000
    for _ in 1 2 3 4; do
        (for _ in $(seq 25); do "$zansim" clock advance 1 || echo lost; done) >>"$BATS_TEST_TMPDIR/out" 2>&1 &
    done
    for port in 2 3; do
        (for _ in $(seq 25); do "$zansim" fault busy "$port" 1 || echo lost; done) >>"$BATS_TEST_TMPDIR/out" 2>&1 &
        (for _ in $(seq 10); do "$ZAN_BIN/zancli" -AdpAllInfo -aALL >/dev/null; done) &
    done
    # One letter, wanted twice on one port and once on the other.
    for port in 2 2 3; do
        "$zansim" volume add "$port" 0 E >>"$BATS_TEST_TMPDIR/volumes" 2>&1 &
    done
    wait
    [ ! -s "$BATS_TEST_TMPDIR/out" ]
    run "$zansim" clock
    [ "$output" = "simulated 1100.000" ]
    [ "$(grep -c 'E: is in use' "$BATS_TEST_TMPDIR/volumes")" -eq 2 ]
    run "$zansim" show
    [ "$status" -eq 0 ]
    [ "$(grep -c ' E:$' <<<"$output")" -eq 1 ]
    run "$ZAN_BIN/zancli" -AdpCount
    [ "$output" = "Adapter Count: 2." ]
}

@test "a change killed at any moment leaves the old or the new state, 200 times" {
    for i in $(seq 200); do
        if [ $((i % 2)) -eq 1 ]; then "$zansim" pull 2 6 & else "$zansim" insert 2 6 & fi
        pid=$!
        sleep "0.00$((RANDOM % 8))"
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
        "$zansim" show >/dev/null || { echo "unreadable after kill $i"; false; }
    done
    run "$ZAN_BIN/zancli" -AdpCount
    [ "$output" = "Adapter Count: 2." ]
}
