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
    expected='Clock: real time

Adapter on port 2: Driver "zandrv", controller id 1, ZAN8SAS firmware 1.10, PCI 2:0
  Requests answered: 0
  Pending faults: busy for 3 requests, status 0x8013 for 2 requests
  Flash ROM: bank 1 1.10 good, bank 2 1.08 good, starts from bank 1
  Drive State       Class                 Size MB  Vendor   Product          Rev   Link     SMART    Bad spots Medium errors
  0     good        Member Use 0-D0        140014  KESTREL  KS3146SAS        0101  3.0G     none             0             0
  1     good        Member Use 0-D1        140014  KESTREL  KS3146SAS        0101  3.0G     none             0             0
  2     good        Spare No Use           140014  KESTREL  KS3146SAS        0101  3.0G     none             0             0
  3     good        Fresh                  140014  KESTREL  KS3146SAS        0101  3.0G     none             0             0
  Logical   Level  State       Size MB  Stripe Members            Rebuild    Maintenance Progress Errors Volumes
  0         RAID1  good         140014  128k   0 1                -          -           0%       0      -'
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

@test "fail, pull and insert change drives as the hardware would" {
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/one" >/dev/null
    "$zansim" fail 2 0
    run "$zansim" show
    # The global hot spare takes the failed member's place and is rebuilt.
    grep -Eq '^  0 +alarm0 +Fresh +140014 ' <<<"$output"
    grep -Eq '^  2 +attention1 +Member Use 0-S0 ' <<<"$output"
    grep -Eq '^  0 +RAID1 +rebuilding .* 2s 1 +executing ' <<<"$output"
    # Pulling the drive being rebuilt ends the rebuild; with no spare left
    # the logical drive waits for one.
    "$zansim" pull 2 2
    run "$zansim" show
    grep -Eq '^  0 +RAID1 +warning .* 2s 1 +needed ' <<<"$output"
    "$zansim" pull 2 1
    "$zansim" insert 2 1 vendor=ACME product=AC300 size_mb=286102
    "$zansim" insert 2 4
    run "$zansim" show
    [ "$status" -eq 0 ]
    grep -Eq '^  1 +alarm0 +Member No Use 0-D1 +286102  ACME +AC300 ' <<<"$output"
    grep -Eq '^  4 +good +Fresh +140014  KESTREL ' <<<"$output"
    [ -z "$(grep -E '^  2 ' <<<"$output")" ]
    grep -Eq '^  0 +RAID1 +alarm ' <<<"$output"
    # The changes of drives and the logical drive, the spare's rebuild and its abort.
    grep -q '^event_unread = 11$' "$ZAN_ROOT/adapters/port2.state"

    run "$zansim" fail 2 2
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: drive 2 is not present" ]
    run "$zansim" insert 2 1
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: slot 1 already holds a drive" ]
    run "$zansim" insert 2 2 size_mb=lots
    [ "$status" -eq 1 ]
    [[ "$output" == "zansim: size_mb: a number"* ]]
    run "$zansim" pull 5 0
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: no adapter on port 5" ]
}

@test "volumes are added, shown and removed, one letter per machine" {
    "$zansim" create >/dev/null
    run "$zansim" show
    grep -Eq '^  1 +RAID5 +good .* D:$' <<<"$output"
    "$zansim" volume add 3 1 F:
    "$zansim" volume add 3 1 g
    run "$zansim" show
    grep -Eq '^  1 +RAID0 +good .* F: G:$' <<<"$output"
    run "$zansim" volume add 2 0 D
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: D: is in use" ]
    run "$zansim" volume add 2 0 C
    [ "$output" = "zansim: C: is the system volume" ]
    run "$zansim" volume add 2 5 H
    [ "$output" = "zansim: logical drive 5 is not defined" ]
    "$zansim" volume remove d:
    run "$zansim" volume remove D
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: no volume D:" ]
    run "$zansim" show
    [ -z "$(grep 'D:' <<<"$output")" ]
    printf '[adapter 2]\n[drive 0]\n[logical 0]\nlevel = 0\nmembers = 0\nstripe = none\nvolumes = e\n[adapter 3]\n[drive 0]\n[logical 0]\nlevel = 0\nmembers = 0\nstripe = none\nvolumes = E\n' >"$BATS_TEST_TMPDIR/twice"
    run "$zansim" create "$BATS_TEST_TMPDIR/twice"
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: $BATS_TEST_TMPDIR/twice: volume E: is on two adapters" ]
}

@test "drive and volume commands refuse command lines that do not fit" {
    "$zansim" create >/dev/null
    for args in "fail 2" "fail 2 12" "pull x 1" "insert 2" "insert 2 -1" "volume" "volume add 2 0" \
                "volume add 2 12 E" "volume add 2 0 EE" "volume add 2 0 5" "volume remove" "volume drop E"; do
        run "$zansim" $args
        [ "$status" -eq 2 ] || { echo "args: $args -> $status"; false; }
    done
}

@test "a stopped clock moves background work only when advanced" {
    "$zansim" create >/dev/null
    "$zansim" clock set 1000
    run "$zansim" clock
    [ "$output" = "simulated 1000.000" ]
    "$zansim" fail 2 3
    "$zansim" clock advance 25
    run "$zansim" show
    grep -q '^Clock: simulated, 1025.000 s$' <<<"$output"
    grep -Eq '^  1 +RAID5 +rebuilding .* 2 5s 4 +executing +- +25% ' <<<"$output"
    # Nothing moves while the clock stands.
    sleep 1
    run "$zansim" show
    grep -Eq '^  1 +RAID5 +rebuilding .* 25% ' <<<"$output"
    "$zansim" clock advance 100
    run "$zansim" show
    grep -Eq '^  5 +good +Member Use 1-S1 ' <<<"$output"
    grep -Eq '^  1 +RAID5 +good .* 100% ' <<<"$output"
    "$zansim" clock real
    run "$zansim" clock
    [[ "$output" == "real "* ]]
    "$zansim" inconsistencies 2 1 6
    grep -q '^inconsistencies = 6$' "$ZAN_ROOT/adapters/port2.state"
}

@test "restore candidates and bad spots are added to free and present drives" {
    "$zansim" create >/dev/null
    run "$zansim" restore add 2 1 6 7
    [ "$status" -eq 0 ]
    [ "$output" = "Restore candidate 0 on port 2." ]
    run "$zansim" show
    grep -Eq '^  6 +good +Restore Candidate ' <<<"$output"
    grep -Eq '^  0 +RAID1 +good +140014 .* 6 7 ' <<<"$output"
    run "$zansim" restore add 2 0 5
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: drive 5 is in use" ]
    "$zansim" badspot add 2 0 0x10 32 0x10
    run "$zansim" show
    grep -Eq '^  0 +good +Member Use 0-D0 .* 2 +0$' <<<"$output"
    "$zansim" badspot clear 2 0
    run "$zansim" badspot add 2 9 1
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: drive 9 is not present" ]
}

@test "image files carry the header the update tools read" {
    "$zansim" create >/dev/null
    image="$BATS_TEST_TMPDIR/fw.img"
    "$zansim" image write "$image" --revision 1.20 --length 4097 --date 2009/04/24 --author "Kit Q"
    [ "$(stat -c %s "$image")" -eq $((256 + 4097)) ]
    [ "$(head -c 8 "$image")" = "Brimstal" ]
    [ "$(od -An -tx1 -j8 -N8 "$image" | tr -d ' ')" = "312e323020090424" ]
    [ "$(od -An -tx1 -j48 -N4 "$image" | tr -d ' ')" = "00001001" ]
    "$zansim" image write "$image" --revision 1.20 --broken length
    [ "$(od -An -tx1 -j48 -N4 "$image" | tr -d ' ')" = "00010001" ]
    "$zansim" image write "$image" --revision 1.20 --broken magic
    [ "$(head -c 8 "$image")" != "Brimstal" ]
    for args in "image write $image" "image write $image --revision 1.2" "image write $image --revision 1.20 --length 31" \
                "image write $image --revision 1.20 --date 2009-04-24" "image write $image --revision 1.20 --broken badly" \
                "restore add 2 6 x" "badspot add 2 0" "badspot add 2 0 -1" "clock set x" "clock advance" "restart x" \
                "inconsistencies 2 12 1"; do
        run "$zansim" $args
        [ "$status" -eq 2 ] || { echo "args: $args -> $status"; false; }
    done
    run "$zansim" restore add 2 3 6
    [ "$output" = "zansim: the level is 0, 1, 5 or 10" ]
    run "$zansim" restart 2
    [ "$status" -eq 0 ]
}

@test "fault at fails the N-th request only, then the adapter answers again" {
    "$zansim" create >/dev/null
    "$zansim" fault at 2 1 silent
    "$zansim" fault at 3 2 status 0x8005
    run "$zansim" show
    [ "$(grep '^  Pending faults' <<<"$output")" = "  Pending faults: silent at request 1
  Pending faults: status 0x8005 at request 2" ]
    # Port 2 misses its first request, port 3 fails its second.
    for expected in 1 1 2; do
        run "$ZAN_BIN/zancli" -AdpCount
        [ "$output" = "Adapter Count: $expected." ]
    done
    [ "$(grep -c '^  Pending faults: none$' <<<"$("$zansim" show)")" -eq 2 ]
    run "$zansim" fault at 2 0 silent
    [ "$status" -eq 2 ]
    run "$zansim" fault at 2 1 busy 0
    [ "$status" -eq 2 ]
    run "$zansim" fault at 2 1 loud
    [ "$status" -eq 2 ]
}
