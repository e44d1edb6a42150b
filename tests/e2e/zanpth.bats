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
}

@test "every drive command: its headings, the command bytes as sent and the drive's answer" {
    # Drive 4 of the first adapter becomes a model that takes drive firmware.
    "$ZAN_BIN/zansim" drive set 2 4 product=VMA3300RC revision=1A2B
    printf '0\n1\n00001000\n' > r.txt
    printf '0\n1\n00002000\n3\n' > w.txt
    printf '0\n2\n1\n1\n0\n01\n0002\n3\n04\n00000005\n00000006\n07\n08\n09\n1\n0\n1\n000A\n0\n0\n0B\n0C\n000D\n000E\n' > n.txt
    printf '0\n2\n00100000\n2\n16\n' > e.txt
    head -c 70000 /dev/zero > fw.bin
    for c in "PDOneSectorWrite 0 1 20" "D 0 1 30 saved.bin" "LDOneSectorRead 0 1 40" "w 0 1 50 3" "R r.txt" \
             "W w.txt" "N n.txt" "E e.txt" "PDHDDCapaChange 0 2 1000" "PDPrintModePage 1 2 62 1 ff" "F fw.bin"; do
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

@test "without the pass-through library beside it: load failure, exit 1" {
    cp "$zanpth" ./zanpth
    run ./zanpth L
    [ "$status" -eq 1 ]
    [ "${lines[0]}" = "ZAN0001-E PassThrough Library load fail. detail=The specified module could not be found."$'\r' ]
    [ "${lines[1]}" = "ZAN0002-I PassThrough Tool abnormal end." ]
}
