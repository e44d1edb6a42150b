#!/usr/bin/env bats
# zansim: creating simulated machines, the report, fault injection, the
# request counter and holding an adapter, with every bad input refused.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
}

@test "create without a scenario builds the embedded demo machine" {
    run "$zansim" create
    [ "$status" -eq 0 ]
    [ "$output" = "Created $ZAN_ROOT from the demo scenario." ]
    run "$zansim" show
    [ "$status" -eq 0 ]
    [ "$(grep -c '^Adapter on port' <<<"$output")" -eq 2 ]
    grep -q '^Adapter on port 2: Driver "zandrv", controller id 1' <<<"$output"
    grep -q '^Adapter on port 3: Driver "zandrv", controller id 2' <<<"$output"
    grep -Eq '^  0 +RAID10 +good +280028 ' <<<"$output"
    grep -q 'Scsi Port 3' "$ZAN_ROOT/registry.reg"
}

@test "show prints each adapter's drives, logical drives and faults" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    "$zansim" fault status 2 0x8013 2
    "$zansim" fault busy 2 3
    run "$zansim" show
    [ "$status" -eq 0 ]
    expected='Adapter on port 2: Driver "zandrv", controller id 1, ZAN8SAS firmware 1.10, PCI 2:0
  Requests answered: 0
  Pending faults: busy for 3 requests, status 0x8013 for 2 requests
  Drive State       Class                 Size MB  Vendor   Product          Rev   Link     SMART    Bad spots Medium errors
  0     good        Member Use 0-D0        140014  KESTREL  KS3146SAS        0101  3.0G     none             0             0
  1     good        Member Use 0-D1        140014  KESTREL  KS3146SAS        0101  3.0G     none             0             0
  2     good        Spare Use              140014  KESTREL  KS3146SAS        0101  3.0G     none             0             0
  3     good        Fresh                  140014  KESTREL  KS3146SAS        0101  3.0G     none             0             0
  Logical Level  State     Size MB  Stripe Members            Rebuild    Maintenance Progress Volumes
  0       RAID1  good       140014  128k   0 1                -          -           0%       -'
    [ "$output" = "$expected" ]
}

@test "faults are set, shown and cleared" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/mute" >/dev/null
    run "$zansim" show
    grep -q '^  Pending faults: silent$' <<<"$output"
    "$zansim" fault silent 2 off
    "$zansim" fault silent 3 on
    "$zansim" fault busy 3 4
    run "$zansim" show
    [ "$(grep '^  Pending faults' <<<"$output")" = "  Pending faults: none
  Pending faults: silent, busy for 4 requests" ]
    "$zansim" fault clear 3
    run "$zansim" show
    [ "$(grep -c '^  Pending faults: none$' <<<"$output")" -eq 2 ]
}

@test "requests counts what the adapter answered" {
    "$zansim" create >/dev/null
    run "$zansim" requests 2
    [ "$status" -eq 0 ]
    [ "$output" = "0" ]
    "$ZAN_BIN/zancli" -AdpCount >/dev/null
    run "$zansim" requests 2
    [ "$status" -eq 0 ]
    [ "$output" -gt 0 ]
}

@test "hold keeps the adapter occupied until it lets go" {
    "$zansim" create >/dev/null
    "$zansim" hold 2 2 >"$BATS_TEST_TMPDIR/hold.out" &
    holder=$!
    for _ in $(seq 100); do
        grep -q '^Holding' "$BATS_TEST_TMPDIR/hold.out" && break
        sleep 0.05
    done
    [ "$(cat "$BATS_TEST_TMPDIR/hold.out")" = "Holding the adapter on port 2 for 2 seconds." ]
    # Reading state needs no lock; changing it waits for the holder.
    run "$zansim" requests 2
    [ "$output" = "0" ]
    "$zansim" fault busy 2 1
    grep -q '^Released the adapter on port 2.$' "$BATS_TEST_TMPDIR/hold.out"
    wait "$holder"
    run "$zansim" show
    grep -q 'Pending faults: busy for 1 requests' <<<"$output"
}

@test "a damaged state file is reported and the other adapters still shown" {
    "$zansim" create >/dev/null
    printf '[adapter 2]\nmemory_mb = lots\n' >"$ZAN_ROOT/adapters/port2.state"
    run "$zansim" show
    [ "$status" -eq 1 ]
    grep -q "^zansim: adapter on port 2: state file $ZAN_ROOT/adapters/port2.state: line 2: memory_mb: a number" <<<"$output"
    grep -q '^Adapter on port 3' <<<"$output"
    run "$zansim" fault busy 2 1
    [ "$status" -eq 1 ]
    run "$zansim" requests 2
    [ "$status" -eq 1 ]
}

@test "scenario errors name the file and line and leave the root alone" {
    "$zansim" create >/dev/null
    printf '[adapter 4]\n# note\nbogus = 1\n' >"$BATS_TEST_TMPDIR/bad"
    run "$zansim" create "$BATS_TEST_TMPDIR/bad"
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: $BATS_TEST_TMPDIR/bad: line 3: unknown key 'bogus'" ]
    run "$zansim" create "$BATS_TEST_TMPDIR/missing"
    [ "$status" -eq 1 ]
    [[ "$output" == "zansim: cannot read $BATS_TEST_TMPDIR/missing"* ]]
    run "$zansim" show
    grep -q '^Adapter on port 3' <<<"$output"
}

@test "a folder that is not a simulated machine is never emptied" {
    mkdir -p "$ZAN_ROOT"
    echo keep >"$ZAN_ROOT/notes.txt"
    run "$zansim" create
    [ "$status" -eq 1 ]
    [[ "$output" == *"is not empty and is not a simulated machine's root"* ]]
    [ "$(cat "$ZAN_ROOT/notes.txt")" = "keep" ]
}

@test "an empty machine has no adapters" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/empty" >/dev/null
    run "$zansim" show
    [ "$status" -eq 0 ]
    [ "$output" = "No adapters in $ZAN_ROOT." ]
    grep -q '"Driver"="atapi"' "$ZAN_ROOT/registry.reg"
}

@test "bad command lines are refused with a reason" {
    "$zansim" create >/dev/null
    for args in "" "frobnicate" "show extra" "fault busy x 1" "fault busy 2" "fault busy 2 -1" \
                "fault status 2 0x1FFFF 1" "fault status 2 zz 1" "fault silent 2 maybe" \
                "fault drop 2" "requests 256" "hold 2 3601" "hold 2 x"; do
        run "$zansim" $args
        [ "$status" -eq 2 ] || { echo "args: $args -> $status"; false; }
        [[ "$output" == "zansim: "*"Try 'zansim help'." ]]
    done
    run "$zansim" requests 9
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: no adapter on port 9" ]
    run "$zansim" hold 9 1
    [ "$status" -eq 1 ]
    run "$zansim" help
    [ "$status" -eq 0 ]
    [[ "${lines[0]}" == "Usage: zansim COMMAND [ARGUMENTS]" ]]
}
