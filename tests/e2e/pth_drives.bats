#!/usr/bin/env bats
# zansim drive: what the drives behind an adapter answer to forwarded SCSI
# commands (identity, spindle, log contents, chosen answers), as zansim
# changes, shows and dumps it; every bad input refused.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/drives" >/dev/null
}

@test "show names stopped spindles and pending answers; spindle and answer change them" {
    run "$zansim" show
    [ "$status" -eq 0 ]
    grep -qx '  Drive 2: spindle stopped' <<<"$output"
    [ "$(grep -c '^  Drive [0-9]*:' <<<"$output")" -eq 1 ]

    "$zansim" drive spindle 2 2 start
    "$zansim" drive spindle 2 1 stop
    "$zansim" drive answer 2 3 2 4 0x030C00 0x10
    run "$zansim" show
    grep -qx '  Drive 1: spindle stopped' <<<"$output"
    grep -qx '  Drive 2: spindle starting' <<<"$output"
    grep -qx '  Drive 3: answers status 0x02 sense 0x030C00 to the next 4 commands' <<<"$output"
    grep -qx 'start_stops = 1' <<<"$(sed -n '/^\[drive 2\]/,/^$/p' "$ZAN_ROOT/adapters/port2.state")"

    "$zansim" drive answer 2 3 0 0
    "$zansim" drive spindle 2 2 stop
    "$zansim" drive spindle 2 1 start
    run "$zansim" show
    [ "$(grep -c '^  Drive [0-9]*:' <<<"$output")" -eq 1 ]
}

@test "set changes the identity; logs gives new contents that dump writes out" {
    "$zansim" drive set 2 3 vendor=MERIDAN product=MRD2300SS serial=SER123456789
    run "$zansim" show
    grep -Eq '^  3 +good .* MERIDAN +MRD2300SS ' <<<"$output"

    "$zansim" drive dump 2 1 internal "$BATS_TEST_TMPDIR/internal"
    [ "$(stat -c %s "$BATS_TEST_TMPDIR/internal")" -eq 70004 ]
    [ "$(head -c 4 "$BATS_TEST_TMPDIR/internal" | od -An -tx1 | tr -d ' ')" = 02011170 ]
    "$zansim" drive dump 2 1 0x31 "$BATS_TEST_TMPDIR/page31"
    [ "$(stat -c %s "$BATS_TEST_TMPDIR/page31")" -eq 13684 ]
    "$zansim" drive dump 2 1 0x00 "$BATS_TEST_TMPDIR/page00"
    [ "$(od -An -tx1 "$BATS_TEST_TMPDIR/page00" | tr -d ' \n')" = 0000000b00020305060d0e102f3132 ]

    "$zansim" drive logs 2 1 0x5EED
    "$zansim" drive dump 2 1 internal "$BATS_TEST_TMPDIR/reseeded"
    run cmp -s "$BATS_TEST_TMPDIR/internal" "$BATS_TEST_TMPDIR/reseeded"
    [ "$status" -eq 1 ]
    "$zansim" drive dump 2 1 0x02/1 "$BATS_TEST_TMPDIR/cumulative"
    "$zansim" drive dump 2 1 0x02/3 "$BATS_TEST_TMPDIR/defaults"
    run cmp -s "$BATS_TEST_TMPDIR/cumulative" "$BATS_TEST_TMPDIR/defaults"
    [ "$status" -eq 1 ]
    "$zansim" drive set 2 1 "log_lengths=4 8 0 70000"
    "$zansim" drive dump 2 1 command "$BATS_TEST_TMPDIR/empty-log"
    [ "$(od -An -tx1 "$BATS_TEST_TMPDIR/empty-log" | tr -d ' \n')" = 04000000 ]
}

@test "image writes a microcode image; changed mode pages and capacity stay in the state file" {
    "$zansim" drive image "$BATS_TEST_TMPDIR/fw" 0300 100
    [ "$(head -c 16 "$BATS_TEST_TMPDIR/fw" | od -An -tx1 | tr -d ' \n')" = 5a414e44525646573033303000000064 ]
    [ "$(stat -c %s "$BATS_TEST_TMPDIR/fw")" -eq 100 ]
    "$zansim" drive set 2 3 "mode_pages=1C0A08060000000000000001 0A0A00100000000000FF0384" blocks=4096 full_mb=300
    grep -qx 'mode_pages = 0A0A00100000000000FF0384 1C0A08060000000000000001' <<<"$(sed -n '/^\[drive 3\]/,/^$/p' "$ZAN_ROOT/adapters/port2.state")"
    "$zansim" drive set 2 3 size_mb=70000
    [ -z "$(sed -n '/^\[drive 3\]/,/^$/p' "$ZAN_ROOT/adapters/port2.state" | grep -E '^(blocks|full_mb) = [^0]')" ]
}

@test "drive commands refuse what does not fit" {
    while IFS='|' read -r want message args; do
        run "$zansim" drive $args
        [ "$status" -eq "$want" ] || { echo "drive $args: status $status"; false; }
        grep -qF "$message" <<<"$output" || { echo "drive $args: $output"; false; }
    done <<'EOF_CASES'
1|drive 5 is not present|spindle 2 5 start
1|no adapter on port 4|spindle 4 1 start
2|needs a port number (0-255) and a drive number (0-11)|spindle 2 12 start
2|drive set PORT DRIVE KEY=VALUE...|spindle 2 1 sideways
1|a drive leaves its slot with pull|set 2 1 present=no
1|serial: at most 12 characters|set 2 1 serial=1234567890123
1|log_lengths: four log lengths|set 2 1 log_lengths=1
2|LOG is status, internal, command, controller|dump 2 1 0x3E /dev/null
2|LOG is status, internal, command, controller|dump 2 1 0x02/4 /dev/null
1|cannot write /nonexistent/file|dump 2 1 status /nonexistent/file
2|STATUS up to 0xFF|answer 2 1 0x100 1
2|SENSE 0xKKAAQQ|answer 2 1 2 1 0x1000000
1|mode page 34 is 30 bytes long|set 2 1 mode_pages=221C00
1|the drive keeps no mode page 25|set 2 1 mode_pages=190600000000000000
1|mode pages are written as hex bytes|set 2 1 mode_pages=0A0
2|a revision of 4 printable characters|image /dev/null V30 100
2|a length from 32 to 786432|image /dev/null V300 31
2|a length from 32 to 786432|image /dev/null V300 786433
EOF_CASES
}
