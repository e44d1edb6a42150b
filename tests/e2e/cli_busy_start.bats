#!/usr/bin/env bats
# An adapter that stays busy while zancli starts: the run stops with the
# competition message and acts on no adapter, so that the controller numbers
# of the others never shift onto it. An adapter that fails otherwise is
# passed over as before.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
}

competition="Fatal error - The competition with another application occurred.
Please execute it after opening the interval."

# The "Logical" table row of logical drive $2 of the adapter on port $1.
logical_row() {
    "$ZAN_BIN/zansim" show | awk -v port="Adapter on port $1:" -v ld="$2" '
        index($0, port) == 1 { inside = 1; next }
        /^Adapter on port/ { inside = 0 }
        inside && $1 == ld && $2 ~ /^RAID/ { print $2; exit }'
}

@test "a busy first adapter stops the run before it deletes anything on the second" {
    "$ZAN_BIN/zansim" fault busy 2 351
    run "$ZAN_BIN/zancli" -CfgLDDel -L0 -a0 -nochk
    [ "$status" -eq 255 ]
    [ "$output" = "$competition" ]
    [ "$(logical_row 3 0)" = "RAID10" ]
    [ "$(logical_row 2 0)" = "RAID1" ]
    [ "$("$ZAN_BIN/zansim" show | grep -c '^  Requests answered: 0$')" -eq 1 ]

    # Once the other program is done, adapter 0 is the first adapter again.
    run "$ZAN_BIN/zancli" -AdpCount
    [ "$output" = "Adapter Count: 2." ]
}

@test "an adapter held by another program at start-up stops the run" {
    "$ZAN_BIN/zansim" hold 2 30 > "$BATS_TEST_TMPDIR/hold_out" 2>&1 &
    holder=$!
    for _ in $(seq 100); do
        [ -s "$BATS_TEST_TMPDIR/hold_out" ] && break
        sleep 0.05
    done
    run "$ZAN_BIN/zancli" -AdpCount
    kill "$holder"
    wait "$holder" || true
    [ "$(head -n 1 "$BATS_TEST_TMPDIR/hold_out")" = "Holding the adapter on port 2 for 30 seconds." ]
    [ "$status" -eq 255 ]
    [ "$output" = "$competition" ]
}

@test "an adapter that fails otherwise is passed over and the next one takes its number" {
    "$ZAN_BIN/zansim" fault status 2 0x8005 1
    run "$ZAN_BIN/zancli" -CfgLDDel -L0 -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter 0: Deleted Virtual drv-0." ]
    [ -z "$(logical_row 3 0)" ]
    [ "$(logical_row 2 0)" = "RAID1" ]
}
