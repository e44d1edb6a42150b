#!/usr/bin/env bats
# The simulated adapter keeps real data: block patterns written into logical
# drives survive member failures and rebuilds onto hot spares on the
# simulated clock, and are lost when a RAID 5 loses a second member.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
}

# Port 2: RAID 5 on drives 0-2 (logical drive 0), RAID 10 on 3-6 (logical
# drive 1), global hot spares 7 and 8; drives of 140014 MB, tasks of 100 s.
data_machine() {
    machine <<'SCENARIO'
[adapter 2]
task_seconds = 100
[drive 0]
[drive 1]
[drive 2]
[drive 3]
[drive 4]
[drive 5]
[drive 6]
[drive 7]
spare = yes
[drive 8]
spare = yes
[logical 0]
level = 5
members = 0 1 2
stripe = 64k
[logical 1]
level = 1
members = 3 4 5 6
stripe = 128k
SCENARIO
    "$zansim" clock set >/dev/null
}

# verify KEY PORT LOGICAL LBA COUNT SEED: data verify must print what
# `data write` printed for written[KEY].
verify() {
    local key=$1
    shift
    run "$zansim" data verify "$@"
    [ "$status" -eq 0 ]
    [ "$output" = "Verified ${written[$key]#Wrote }" ]
}

@test "patterns on RAID 5 and RAID 10 survive a member failure, a rebuild onto a spare and the partner's failure" {
    data_machine
    declare -A written
    run "$zansim" data write 2 0 100 600 7
    [ "$status" -eq 0 ]
    [[ "$output" =~ ^"Wrote 600 blocks at LBA 100 of logical drive 0 on port 2, checksum "[0-9A-F]{8}$ ]]
    written[0]=$output
    run "$zansim" data write 2 1 1000 900 8
    [ "$status" -eq 0 ]
    written[1]=$output
    run "$zansim" data write 2 0 400000000 300 9
    written[2]=$output

    # Each logical drive takes a spare and rebuilds it with the clock.
    "$zansim" fail 2 1
    "$zansim" fail 2 4
    verify 0 2 0 100 600 7
    verify 1 2 1 1000 900 8
    "$zansim" clock advance 50 >/dev/null
    verify 0 2 0 100 600 7
    "$zansim" clock advance 60 >/dev/null

    # The rebuilt spares now carry what the failed members held, in the
    # second half of the drives too, though the rebuild's end was saved only
    # with the next failure.
    "$zansim" fail 2 0
    "$zansim" fail 2 3
    run "$zansim" show
    [[ "$output" == *"  0         RAID5  warning"* ]]
    verify 0 2 0 100 600 7
    verify 1 2 1 1000 900 8
    verify 2 2 0 400000000 300 9

    # A second failure of the RAID 5 takes its data with it.
    "$zansim" fail 2 2
    run "$zansim" data verify 2 0 100 600 7
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: logical drive 0 has failed: its blocks cannot be reached" ]
    verify 1 2 1 1000 900 8
}

@test "verify names differing blocks; blocks past the end and bad arguments are refused" {
    data_machine
    "$zansim" data write 2 1 0 16 1 >/dev/null
    run "$zansim" data verify 2 1 0 20 1
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: 4 of 20 blocks differ from the pattern, the first at LBA 16" ]
    run "$zansim" data verify 2 1 0 16 2
    [ "$output" = "zansim: 16 of 16 blocks differ from the pattern, the first at LBA 0" ]
    run "$zansim" data write 2 0 573497343 2 1
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: blocks 573497343-573497344 lie past the end of logical drive 0 (573497344 blocks)" ]
    run "$zansim" data write 2 3 0 1 1
    [ "$output" = "zansim: logical drive 3 is not defined" ]
    for bad in "read 2 0 0 1 1" "write 2 0 0 0 1" "write 2 12 0 1 1" "write 2 0 0 65537 1"; do
        run "$zansim" data $bad
        [ "$status" -eq 2 ]
    done
    # Only what was written takes space, though the drives hold 140 GB each.
    [ "$(du -sk "$ZAN_ROOT" | cut -f1)" -lt 4096 ]
}

# Port 2: RAID 1 on drives 0 and 1, with a global hot spare on drive 2 when
# the first argument is "spare".
mirror_machine() {
    local spare=""
    [ "${1:-}" = spare ] && spare=$'[drive 2]\nspare = yes\n'
    machine <<SCENARIO
[adapter 2]
task_seconds = 100
[drive 0]
[drive 1]
${spare}[logical 0]
level = 1
members = 0 1
stripe = 64k
SCENARIO
    "$zansim" clock set >/dev/null
    zancli="$ZAN_BIN/zancli"
    zanpth="$ZAN_BIN/zanpth"
    cd "$BATS_TEST_TMPDIR"
}

error_count() {
    "$zancli" -LDInfo -L0 -a0 | grep '^Operation Error Count:'
}

@test "RAID 1: a sector written onto a member is counted by the next check and repaired by parity making; data survives a rebuild" {
    mirror_machine spare
    declare -A written
    written[0]=$("$zansim" data write 2 0 0 600 3)

    run "$zanpth" PDOneSectorWrite 0 1 10
    [ "${lines[5]}" = "00000000: BA 01 2A 00 00 00 00 10  00 00 01 00              ............" ]
    "$zancli" -LDCC -Start -L0 -a0 >/dev/null
    "$zansim" clock advance 110 >/dev/null
    [ "$(error_count)" = "Operation Error Count: 1" ]

    # Parity making copies the data drive's block over the mirror: a second
    # check finds nothing, and drive 1 alone carries the pattern.
    "$zancli" -LDParity -Start -L0 -a0 >/dev/null
    "$zansim" clock advance 110 >/dev/null
    "$zancli" -LDCC -Start -L0 -a0 >/dev/null
    "$zansim" clock advance 110 >/dev/null
    [ "$(error_count)" = "Operation Error Count: 0" ]
    "$zansim" fail 2 0
    verify 0 2 0 0 600 3

    # Drive 0 was replaced by the spare; once rebuilt, the spare alone
    # carries it too.
    "$zansim" clock advance 110 >/dev/null
    "$zansim" fail 2 1
    verify 0 2 0 0 600 3
}

@test "medium errors planted with E on a survivor become bad spots of the rebuilt drive" {
    mirror_machine spare
    declare -A written
    written[0]=$("$zansim" data write 2 0 0 64 5)
    # Two errors on drive 1, three blocks apart.
    printf '0\n1\n00000020\n2\n3\n' > errors.txt
    "$zanpth" E errors.txt >/dev/null
    # While drive 0 is there the blocks are read from it.
    verify 0 2 0 0 64 5

    "$zansim" fail 2 0
    "$zansim" clock advance 110 >/dev/null
    run "$zancli" -LDBadSpot -L0 -a0
    [ "$output" = "Adapter #0

Virtual Drive: 0
LBA Information
================
#0 : 0x00000020
#1 : 0x00000023" ]
    run "$zansim" data verify 2 0 0 64 5
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: a block of logical drive 0 could be read from no member (medium error)" ]
    run "$zanpth" LDOneSectorRead 0 0 20
    [ "${lines[-2]}" = "ZAN0005-E Request sense data  KEY:03  ASC:11  ASCQ:00" ]

    # Written again, the blocks read back.
    "$zansim" data write 2 0 0 64 5 >/dev/null
    verify 0 2 0 0 64 5
}

@test "a drive pulled and put back starts blank and is rebuilt in its slot" {
    mirror_machine
    declare -A written
    written[0]=$("$zansim" data write 2 0 0 600 3)
    "$zansim" pull 2 1
    "$zansim" insert 2 1
    run "$zanpth" PDOneSectorRead 0 1 0
    local zeros="00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  ................"
    [ "${#lines[@]}" -eq 40 ]
    for row in $(seq 0 31); do
        [ "${lines[row + 8]}" = "$(printf '%08X: %s' $((row * 16)) "$zeros")" ]
    done

    "$zansim" clock advance 110 >/dev/null
    "$zansim" fail 2 0
    verify 0 2 0 0 600 3
}
