#!/usr/bin/env bats
# zanpth on bad input: parameter files that are empty, binary, short of
# fields, with lines over the limits or odd-length hexadecimal, addresses past
# the end of a drive or a logical drive. Each gives its message and the
# abnormal-end line, exits 0 and leaves nothing behind it. The same table runs
# against the sanitizer build (ZAN_BIN=build-sanitize/bin).

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    demo
    zanpth="$ZAN_BIN/zanpth"
    cd "$BATS_TEST_TMPDIR"
}

end=$'\nZAN0002-I PassThrough Tool abnormal end.'
long_line=$(printf 'A%.0s' $(seq 1025))
any_line=$(printf '0%.0s' $(seq 65537))

# command | parameter file contents (printf format) | the report after the
# "Parameter Filename" line
file_cases() {
    cat <<'TABLE'
E||ZAN0022-E Ileagal Parameter. detail=Controller No
R||ZAN0022-E Ileagal Parameter. detail=Controller No
N|0\n2\n1\n1\n0\n|ZAN0022-E Ileagal Parameter. detail=Mode Page
P|A\0B\0\001\377\376|ZAN0022-E Ileagal Parameter. detail=Drive No
ANY|\0\0\0\0|ZAN0022-E Ileagal Parameter. detail=Controller No
W|0\n0\n1000\n|RAID Controller No.0\nLogical Drive No.0\nLogical Block Address : 0x00001000\nZAN0022-E Ileagal Parameter. detail=DataHDD
P|0\n0\n0\n2800000000000000010000\n|ZAN0022-E Ileagal Parameter. detail=Direction
P|0\n0\n0\n28000000000000000100\n2\n|ZAN0022-E Ileagal Parameter. detail=Direction
P|0\n0\nFFFFFFFF\n28000000000000000100\n0\n|Ileagal Physical HDD No. HDDNo=-1.
P|0\n0\n0\n0A1FFF81000000\n1\n|ZAN0022-E Ileagal Parameter. detail=CDB
P|0\n0\n0\n2AFFFFFFFF80000100\n1\n|ZAN0022-E Ileagal Parameter. detail=CDB
P|0\n0\n0\n2A0000000000000\n1\n|ZAN0022-E Ileagal Parameter. detail=CDB
ANY|0\n0\n2A0000000000000001\n1\n200\n0\n5A5\n|Physical Drive No.0\n\nZAN0022-E Ileagal Parameter. detail=Write Data
ANY|0\n0\n28000000000000000100\n0\n0\n|Physical Drive No.0\n\nPlease specify a data length of at least 1 byte.
ANY|0\n0\n28000000000000000100\n0\nFFFFFFFFFF\n|Physical Drive No.0\n\nData of more than 64 KiB (0x10000 bytes) cannot be handled.\nZAN0022-E Ileagal Parameter. detail=Data Length
TABLE
}

@test "bad parameter files: the field or limit named, abnormal end, exit 0" {
    while IFS='|' read -r command contents expected; do
        printf "$contents" > input.txt
        run "$zanpth" "$command" input.txt
        [ "$status" -eq 0 ] || { echo "$command $contents: exit $status"; false; }
        [[ "${output%%$'\n'*}" == "Parameter Filename :"*input.txt ]]
        [ "${output#*$'\n'}" = "$(printf "$expected")$end" ] || { echo "$command $contents: $output"; false; }
    done < <(file_cases)

    # A count past the signed 32 bits it is printed in, and errors whose
    # addresses would wrap round to the start of the drive, end "E" silently.
    printf '0\n2\n00100000\n99999999999\n16\n' > input.txt
    run "$zanpth" E input.txt
    [ "${lines[-1]}" = "Media Error Address : 0x00100000" ]
    printf '0\n2\nFFFFFFF0\n3\n8\n' > input.txt
    run "$zanpth" E input.txt
    [ "${lines[-1]}" = "Media Error Count : 3" ]

    # Lines over the limits: 1024 characters, 65,536 for ANY.
    printf '0\n0\n%s\n' "$long_line" > input.txt
    for command in P E N R W; do
        run "$zanpth" "$command" input.txt
        [ "${output#*$'\n'}" = "ZAN0023-E Parameter file line 3 is longer than 1024 characters.$end" ]
    done
    printf '0\n0\n%s\n0\n10\n' "$any_line" > input.txt
    run "$zanpth" ANY input.txt
    [ "${output#*$'\n'}" = "ZAN0023-E Parameter file line 3 is longer than 65536 characters.$end" ]
}

@test "addresses past the end of a drive or a logical drive: the drive's sense report" {
    local past="ZAN0005-E Request sense data  KEY:05  ASC:21  ASCQ:00$end"
    for args in "PDOneSectorRead 0 0 FFFFFFFF" "PDOneSectorWrite 0 1 FFFFFFFF" "D 0 0 FFFFFFFF save.bin" \
        "LDOneSectorRead 0 0 FFFFFFFF" "LDOneSectorWrite 0 1 FFFFFFFF" "r 0 0 FFFFFFC0" "w 0 1 FFFFFFC0 2"; do
        run "$zanpth" $args
        [ "$status" -eq 0 ]
        [ "${output##*CDB\]*[.]$'\n\n'}" = "$past" ] || { echo "$args: $output"; false; }
    done
    [ ! -e save.bin ]

    # The last 128 blocks of logical drive 0 (140014 MB) are read, the next
    # 128 lie past its end.
    run "$zanpth" r 0 0 11176F80
    [ "${lines[-2]}" = "ZAN0005-E Request sense data  KEY:05  ASC:21  ASCQ:00" ]
    [ "$(printf '%s\n' "${lines[@]}" | grep -c '^\[Read Command(1 Stripe)\] Size=131072$')" -eq 1 ]
}
