#!/usr/bin/env bats
# zanpth: the frame (usage, exit codes, case-sensitive names, argument
# counts), parameter files and the reports of commands against the
# simulated machine.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    demo
    zanpth="$ZAN_BIN/zanpth"
    cd "$BATS_TEST_TMPDIR"
}

@test "no command, an unknown or lower-case command, a wrong argument count: usage, exit 1" {
    for args in "" "l" "Foo" "L extra" "PDOneSectorRead 0 0" "ANY" "w 0 0 0"; do
        run "$zanpth" $args
        [ "$status" -eq 1 ]
        [ "$output" = "$(cat "$ZAN_SOURCE/tests/expected/zanpth-usage.txt")" ]
    done
}

@test "bad numbers and drives are refused; a failing pass-through still exits 0" {
    run "$zanpth" PDOneSectorRead 0 8 0
    [ "$status" -eq 0 ]
    [ "$output" = $'Ileagal Physical HDD No. HDDNo=8.\nZAN0002-I PassThrough Tool abnormal end.' ]

    run "$zanpth" PDOneSectorRead 7 0 0
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "Failed in a specified Controller Number. errno=20010, detail=Error generation in library" ]

    run "$zanpth" PDOneSectorRead 0 zz 0
    [ "$status" -eq 0 ]
    [ "$output" = "" ]

    run "$zanpth" PDHDDCapaChange 0 1 0
    [ "$output" = $'ZAN0022-E Ileagal Parameter. detail=Capacity\nZAN0002-I PassThrough Tool abnormal end.' ]
}

@test "parameter files: missing, too few fields, lines over the limit, odd command bytes" {
    run "$zanpth" P missing.txt
    [ "$status" -eq 0 ]
    [ "$output" = $'ZAN0006-E Parameter file open error. errno=2, detail=No such file or directory\nZAN0002-I PassThrough Tool abnormal end.' ]

    : > empty.txt
    run "$zanpth" ANY empty.txt
    [ "${lines[0]}" = "Parameter Filename :$BATS_TEST_TMPDIR/empty.txt" ]
    [ "${lines[1]}" = "ZAN0022-E Ileagal Parameter. detail=Controller No" ]

    printf '0\n0\n%s\n' "$(printf 'A%.0s' $(seq 1025))" > long.txt
    run "$zanpth" P long.txt
    [ "${lines[1]}" = "ZAN0023-E Parameter file line 3 is longer than 1024 characters." ]

    printf '/ raw command\n0\nx\n0\n12000005200\n0\n' > odd.txt
    run "$zanpth" P odd.txt
    [ "${lines[1]}" = "ZAN0022-E Ileagal Parameter. detail=CDB" ]

    printf '0\n0\n28000000000000000100\n0\n10001\n' > big.txt
    run "$zanpth" ANY big.txt
    [ "${lines[2]}" = "Data of more than 64 KiB (0x10000 bytes) cannot be handled." ]
    [ "${lines[3]}" = "ZAN0022-E Ileagal Parameter. detail=Data Length" ]
}

@test "one session: raw commands by file, the dumps and the sense report of a refused command" {
    # Comment lines (a "/" or a blank first) do not count as fields.
    printf '/ INQUIRY of drive 1\n0\n 1\n1\n120000005200\n0\n52\n' > any-inquiry.txt
    printf '0\n(ignored)\n2\n/ INQUIRY, 36 bytes\n120000002400\n0\n' > p-inquiry.txt
    printf '0\n3\nC50000000000\n0\n8\n' > any-vendor.txt
    {
        "$zanpth" ANY any-inquiry.txt
        echo "exit $?"
        "$zanpth" P p-inquiry.txt
        echo "exit $?"
        "$zanpth" ANY any-vendor.txt
        echo "exit $?"
    } | sed "s#$BATS_TEST_TMPDIR/#TMP/#" > session.txt
    diff -u "$ZAN_SOURCE/tests/expected/zanpth-session.txt" session.txt
}

@test "L reports every drive number of every adapter" {
    run "$zanpth" L
    [ "$status" -eq 0 ]
    [ "$(grep -c '^Physical Drive No\.' <<<"$output")" -eq 16 ]
    [ "$(grep -c '^<<<Logpage31:Errors the drive reported in the past>>>$' <<<"$output")" -eq 16 ]
    [ "$(grep -c '^No.	Power-on(h)	P-On(m)	Sense	LBA	CDB$' <<<"$output")" -eq 16 ]
    [ "$(grep -Ec '^[0-9]{3}	' <<<"$output")" -eq $((16 * 180)) ]

    # A "073" model's SMART page is asked for whole (214 bytes): the time of
    # the SMART warning, its last four bytes, comes out as the drive keeps it.
    "$ZAN_BIN/zansim" drive set 2 1 product=VMA3073RC smart=received
    "$ZAN_BIN/zansim" drive dump 2 1 0x32 page32
    [ "$(stat -c %s page32)" -eq 214 ]
    minutes=$((16#$(tail -c 4 page32 | od -An -tx1 | tr -d ' \n')))
    run "$zanpth" L
    grep -qx '00000000: BB 01 4D 00 72 00 00 00  00 00 D6 00              ..M.r.......' <<<"$output"
    grep -qx "Time of the SMART warning (h) :$(awk -v m="$minutes" 'BEGIN { printf "%8.2f", m / 60 }')" <<<"$output"
}

@test "every drive command: its headings, the command bytes as sent and the drive's answer" {
    # Drive 4 of the first adapter becomes a model that takes drive firmware.
    "$ZAN_BIN/zansim" drive set 2 4 product=VMA3300RC revision=1A2B
    printf '0\n1\n00001000\n' > r.txt
    printf '0\n1\n00002000\n3\n' > w.txt
    printf '0\n2\n1\n1\n0\n01\n0002\n3\n04\n00000005\n00000006\n07\n08\n09\n1\n0\n1\n000A\n0\n0\n0B\n0C\n000D\n000E\n' > n.txt
    printf '0\n2\n00100000\n2\n16\n' > e.txt
    "$ZAN_BIN/zansim" drive image fw.bin 1A2C 70000
    for c in "PDOneSectorWrite 0 1 20" "D 0 1 30 saved.bin" "LDOneSectorRead 0 1 40" "w 0 1 50 3" "R r.txt" \
             "W w.txt" "N n.txt" "E e.txt" "PDHDDCapaChange 0 6 100000" "PDPrintModePage 1 2 62 0 22" "F fw.bin"; do
        echo "== $c"
        "$zanpth" $c
        echo "exit $?"
    done | sed "s#$BATS_TEST_TMPDIR/#TMP/#" > commands.txt
    # Dump rows of zeros (blocks never written) are left out of the comparison.
    grep -v '^[0-9A-F]\{8\}: 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  \.\{16\}$' commands.txt |
        diff -u "$ZAN_SOURCE/tests/expected/zanpth-commands.txt" -
    # The block read and saved was never written: 512 zeros.
    cmp saved.bin <(head -c 512 /dev/zero)
}

@test "a capacity change, mode page 0x22 and drive firmware as the drive and the adapter report them" {
    size_of() { "$ZAN_BIN/zancli" -PDInfo "-PhysDrv[0:$1]" -a0 | sed -n 's/^Size: *//p'; }
    # The capacity: the adapter sees whole MiB, reads stop at the new end,
    # more than the drive has changes nothing, all ones give it back whole.
    "$zanpth" PDHDDCapaChange 0 6 100A00 >/dev/null
    [ "$(size_of 6)" = 513MB ]
    run "$ZAN_BIN/zansim" show
    grep -Eq '^  6 +good +Fresh +513 ' <<<"$output"
    grep -qx '  Drive 6: capacity changed to 1051136 blocks (140014 MB as made)' <<<"$output"
    run "$zanpth" PDOneSectorRead 0 6 1009FF
    [ "${lines[-1]}" = "000001F0: 00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  ................" ]
    run "$zanpth" PDOneSectorRead 0 6 100A00
    [ "${lines[-2]}" = "ZAN0005-E Request sense data  KEY:05  ASC:21  ASCQ:00" ]
    run "$zanpth" PDHDDCapaChange 0 6 20000000
    [ "${lines[-2]}" = "ZAN0005-E Request sense data  KEY:05  ASC:26  ASCQ:00" ]
    [ "$(size_of 6)" = 513MB ]
    "$zanpth" PDHDDCapaChange 0 6 FFFFFFFF >/dev/null
    [ "$(size_of 6)" = 140014MB ]
    [ -z "$("$ZAN_BIN/zansim" show | grep 'Drive 6:')" ]

    # Page 0x22 as N sets it, read back twice: both dumps appended to the
    # drive's file with CR LF lines.
    printf '0\n3\n0\n1\n1\n7F\n1234\n9\nAB\n89ABCDEF\n01020304\n11\n22\n33\n7\n3\n7\nFFFF\n1\n2\n4\n55\nAAAA\nBBBB\n' > n.txt
    "$zanpth" N n.txt >/dev/null
    for run in 1 2; do "$zanpth" PDPrintModePage 0 3 22 0 22 >screen.txt; done
    page='00000000: 21 00 10 00 A2 1C 03 7F  12 34 09 AB 89 AB CD EF  .........4......
00000010: 01 02 03 04 11 22 33 00  FF 00 FF FF 07 55 AA AA  ......3......U..
00000020: BB BB                                             ..'
    [ "$(tail -4 screen.txt)" = "$page" ]
    dump=$'[Get HDD Mode Page] Size=34\r\n'"$(printf -- '-%.0s' $(seq 77))"$'\r\n'"${page//$'\n'/$'\r\n'}"$'\r\n\r\n'
    cmp Cnt0Dev3.txt <(printf '%s' "$dump$dump")

    # Firmware: a VMB drive takes the image and reports its revision; a
    # drive of another model refuses WRITE BUFFER mode 7.
    "$ZAN_BIN/zansim" drive set 2 7 product=VMB3147RC revision=0100
    "$ZAN_BIN/zansim" drive image fw.bin 0200 131072
    # Half an image sent by hand is a download in progress.
    printf '0\n7\n3B070000000000002000\n1\n20\n0\n%s\n' "$(od -An -tx1 -N32 fw.bin | tr -d ' \n')" > piece.txt
    "$zanpth" ANY piece.txt >/dev/null
    run "$ZAN_BIN/zansim" show
    grep -qx '  Drive 7: microcode 0200, 32 of 131072 bytes received' <<<"$output"
    "$zanpth" F fw.bin >/dev/null
    run "$ZAN_BIN/zancli" -PDInfo "-PhysDrv[0:7]" -a0
    grep -qx 'Revision:              0200' <<<"$output"
    printf '0\n6\n3B070000000000002000\n1\n20\n1\n00\n' > wb.txt
    run "$zanpth" ANY wb.txt
    [ "${lines[-2]}" = "ZAN0005-E Request sense data  KEY:05  ASC:24  ASCQ:00" ]
}

@test "without the pass-through library beside it: load failure, exit 1" {
    cp "$zanpth" ./zanpth
    run ./zanpth L
    [ "$status" -eq 1 ]
    [ "${lines[0]}" = "ZAN0001-E PassThrough Library load fail. detail=The specified module could not be found."$'\r' ]
    [ "${lines[1]}" = "ZAN0002-I PassThrough Tool abnormal end." ]
}
