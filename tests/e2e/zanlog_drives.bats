#!/usr/bin/env bats
# zanlog's drive logs through the pass-through library on the simulated
# drives: the inquiry text, every log sense page and internal log listed as
# the drive hands them out, the spindle, the per-drive lock, the vendors.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
    zanlog="$ZAN_BIN/zanlog"
    out="$BATS_TEST_TMPDIR/out"
    mkdir -p "$out"
    # Port 2: MERIDAN drive 0, VELMORA drives 1 and 2 (2 stopped), KESTREL drive 3.
    "$zansim" create "$ZAN_SOURCE/sim/scenarios/drives" >/dev/null
}

# The one file in the output folder whose name ends in SUFFIX.
log_file() {
    local files=("$out"/*"$1")
    [ "${#files[@]}" -eq 1 ] && [[ "$(basename "${files[0]}")" =~ ^[0-9]{14}_ZAN_0$1$ ]] && printf '%s\n' "${files[0]}"
}

# The bytes of the listing in FILE under the header line HEADER, as hex.
listed_hex() {
    awk -v h="$2" '/^</ { on = ($0 == h); next } on { print substr($0, 11, 32) }' "$1" | tr -d ' \n'
}

file_hex() {
    od -An -v -tx1 "$1" | tr -d ' \n'
}

# Holds the named mutex NAME until release_mutex.
hold_mutex() {
    mkfifo "$BATS_TEST_TMPDIR/hold_in"
    "$ZAN_BIN/hold_mutex" "$1" <"$BATS_TEST_TMPDIR/hold_in" >"$BATS_TEST_TMPDIR/hold_out" 2>&1 &
    holder=$!
    exec 5>"$BATS_TEST_TMPDIR/hold_in"
    for _ in $(seq 100); do
        [ -s "$BATS_TEST_TMPDIR/hold_out" ] && break
        sleep 0.05
    done
    [ "$(cat "$BATS_TEST_TMPDIR/hold_out")" = "holding $1" ]
}

release_mutex() {
    exec 5>&-
    wait "$holder"
}

@test "inquiry: four lines of the drive's identity" {
    run "$zanlog" ZAN_0_HDDInquiry_0 "$out"
    [ "$status" -eq 0 ]
    [ "$output" = "ZAN1000-I HDD internal Log Get Success" ]
    [ "$(cat "$(log_file _HDDInquiry_0)")" = "Vendor ID         : MERIDAN 
Product ID        : MRD2147SS       
Product Revision  : M101
Serial No.        : MRD0000A1234" ]
}

@test "log sense: every supported page, listed as the drive hands it out, by the vendor's page control" {
    for drive in 0 1; do
        run "$zanlog" "ZAN_0_HDDLogSense_$drive" "$out"
        [ "$status" -eq 0 ]
        [ "$output" = "ZAN1000-I HDD internal Log Get Success" ]
    done
    # Meridan drives give current cumulative values (PC 01), VELMORA drives
    # current thresholds (PC 00).
    for drive_pc in 0/1 1/0; do
        file=$(log_file "_HDDLogSense_${drive_pc%/*}")
        "$zansim" drive dump 2 "${drive_pc%/*}" "0x00/${drive_pc#*/}" "$BATS_TEST_TMPDIR/pages"
        pages=$(od -An -v -tx1 -j4 "$BATS_TEST_TMPDIR/pages" | tr -s ' \n' ' ')
        [ "$(grep '^<' "$file" | tr '\n' ' ')" = "$(printf '<Page%s> ' $pages)" ]
        for page in $pages; do
            "$zansim" drive dump 2 "${drive_pc%/*}" "0x$page/${drive_pc#*/}" "$BATS_TEST_TMPDIR/page"
            [ "$(listed_hex "$file" "<Page$page>")" = "$(file_hex "$BATS_TEST_TMPDIR/page")" ]
        done
    done
    # Page 31, the error history (13684 bytes), is longer than one request
    # of 4096 bytes and listed whole.
    [ "$(sed -n '/^<Page31>/,/^</p' "$(log_file _HDDLogSense_1)" | grep -c '^0000357')" -eq 1 ]
}

@test "internal logs of a VELMORA drive, read in pieces; refused on a Meridan drive" {
    for log in DSLog:status:"Drive Status Log" DILog:internal:"Drive Internal Log" CLog:command:"Command Log" \
               CII:controller:"Controller Internal Information"; do
        IFS=: read -r type name header <<<"$log"
        run "$zanlog" "ZAN_0_HDDLog_${type}_1" "$out"
        [ "$status" -eq 0 ]
        [ "$output" = "ZAN1000-I HDD internal Log Get Success" ]
        file=$(log_file "_HDDLog_${type}_1")
        [ "$(head -n 1 "$file")" = "<$header>" ]
        "$zansim" drive dump 2 1 "$name" "$BATS_TEST_TMPDIR/log"
        [ "$(listed_hex "$file" "<$header>")" = "$(file_hex "$BATS_TEST_TMPDIR/log")" ]
    done
    # 70004 bytes in pieces of 65536 and 4468: the addresses run on.
    file=$(log_file _HDDLog_DILog_1)
    [ "$(grep -c . "$file")" -eq $((1 + 70004 / 16 + 1)) ]
    [ "$(tail -n 1 "$file" | cut -c1-10)" = "00011170: " ]

    run "$zanlog" ZAN_0_HDDLog_CLog_0 "$out"
    [ "$status" -ne 0 ]
    [ "$output" = "ZAN1009-E Command is not support" ]
    [ -z "$(ls "$out"/*_HDDLog_CLog_0 2>/dev/null)" ]
}

@test "a stopped drive is started and stopped again; a spinning one is left spinning" {
    run "$zanlog" ZAN_0_HDDInquiry_2 "$out"
    [ "$output" = "ZAN1000-I HDD internal Log Get Success" ]
    run "$zansim" show
    grep -qx '  Drive 2: spindle stopped' <<<"$output"
    grep -qx 'start_stops = 1' <<<"$(sed -n '/^\[drive 2\]/,/^$/p' "$ZAN_ROOT/adapters/port2.state")"

    run "$zanlog" ZAN_0_HDDInquiry_1 "$out"
    [ "$output" = "ZAN1000-I HDD internal Log Get Success" ]
    run "$zansim" show
    [ "$(grep -c '^  Drive [0-9]*:' <<<"$output")" -eq 1 ]
    grep -qx 'start_stops = 0' <<<"$(sed -n '/^\[drive 1\]/,/^$/p' "$ZAN_ROOT/adapters/port2.state")"
}

@test "other vendors, absent drives, a second run, a busy pass-through and a failing command" {
    general() { printf 'ZAN1005-E The error occurred while gathering the log.\nZAN1006-E Log type : HDD internal Log\nZAN1007-E Error code : %s' "$1"; }
    run "$zanlog" ZAN_0_HDDLogSense_3 "$out"
    [ "$output" = "$(general 1008)
ZAN1008-E HDD Not Found." ]
    run "$zanlog" ZAN_0_HDDInquiry_5 "$out"
    [ "$output" = "$(general 1008)
ZAN1008-E HDD Not Found." ]
    [ -z "$(ls "$out")" ]

    hold_mutex zanlogMutex01
    run "$zanlog" ZAN_0_HDDInquiry_1 "$out"
    release_mutex
    [ "$output" = "ZAN1002-E It has already started." ]

    rm "$BATS_TEST_TMPDIR/hold_in"
    hold_mutex Mutex
    run "$zanlog" ZAN_0_HDDInquiry_1 "$out"
    release_mutex
    [ "$output" = "ZAN1010-E time-out when gathering the log.
ZAN1006-E Log type : HDD internal Log" ]

    "$zansim" drive answer 2 1 2 1 0x052400
    run "$zanlog" ZAN_0_HDDInquiry_1 "$out"
    [ "$output" = "$(general 1117)" ]
    [ -z "$(ls "$out")" ]
}
