#!/usr/bin/env bats
# What the simulated firmware writes into its event log, as zanservice
# reports it, on the stopped clock: background tasks, named entries, an
# overfilled ring across a restart of the service, garbled entries and
# garbage answers, and zancli changing the adapter at the same time.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
    zancli="$ZAN_BIN/zancli"
}

teardown() {
    if "$zansim" service stop zanservice 2>/dev/null; then
        "$zansim" service wait zanservice STOPPED
    fi
}

# RAID 1 on drives 0 and 1 with hot spares 2 and 3 on port 2; tasks take
# TASK_SECONDS (default 200) at High priority.
two_spares() {
    machine <<SCENARIO
[adapter 2]
task_seconds = ${TASK_SECONDS:-200}
[drive 0]
[drive 1]
[drive 2]
spare = yes
[drive 3]
spare = yes
[drive 4]
[logical 0]
members = 0 1
SCENARIO
}

# The service's keys (an empty EventID list), the clock stopped, the
# service started and in its first 120 s wait.
start_service() {
    printf '\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\zanservice\\Parameters\\Log\\EventID]\n' \
        >>"$ZAN_ROOT/registry.reg"
    "$zansim" clock set 1230797103
    "$zansim" service start zanservice "$ZAN_BIN/zanservice" >/dev/null
    "$zansim" service idle zanservice
}

# One poll cycle: the clock moved on by 120 s, then the service waits again.
cycle() {
    "$zansim" clock advance 120
    "$zansim" service idle zanservice
}

# The Event Log from record FIRST on.
events_from() {
    "$zansim" eventlog | tail -n +"$1"
}

@test "rebuilds are reported as they start, complete and abort, each after the change that caused it" {
    two_spares
    start_service
    "$zansim" fail 2 1
    cycle
    cycle
    "$zansim" fail 2 0
    "$zansim" pull 2 3 # the drive being rebuilt
    cycle
    run events_from 2
    [ "$output" = "2 Warning zanservice 0xA0001000: Controller [0] Physical Drive [1] Failed .Drive status = 0x[20] Detailedcode: 18fff120.
3 Error zanservice 0xE0001090: Controller[0] Logical Drive[0] status changed to Degraded. (Status = 0x[1]). Detailedcode: 24001fff.
4 Information zanservice 0x60001150: Controller [0] Rebuild started on Logical Drive[0].
5 Information zanservice 0x60001160: Controller [0] Rebuild completed on Logical Drive[0].
6 Information zanservice 0x60001030: Controller [0] Physical Drive [2] status changed to GOOD.
7 Information zanservice 0x600010B0: Controller[0] Logical Drive[0] status changed from Degraded to Optimal.
8 Warning zanservice 0xA0001000: Controller [0] Physical Drive [0] Failed .Drive status = 0x[20] Detailedcode: 18fff020.
9 Error zanservice 0xE0001090: Controller[0] Logical Drive[0] status changed to Degraded. (Status = 0x[1]). Detailedcode: 24001fff.
10 Information zanservice 0x60001150: Controller [0] Rebuild started on Logical Drive[0].
11 Error zanservice 0xE0001010: Controller [0] Physical Drive [3] was offline. Drive status = 0x[ff] . Detailedcode: 1cfff3ff.
12 Error zanservice 0xE0001165: Controller [0] Rebuild aborted on Logical Drive[0]. An error occurred on Physical Drive[3]. Detailedcode: 3c011303." ]
}

@test "a consistency check reports what it finds; checks and parity making report their start, end and abort" {
    TASK_SECONDS=100 two_spares
    start_service
    "$zansim" inconsistencies 2 0 2
    "$zancli" -LDCC -Start -L0 -a0 >/dev/null
    cycle
    "$zancli" -LDParity -Start -L0 -a0 >/dev/null
    "$zancli" -LDParity -Abort -L0 -a0 >/dev/null
    "$zancli" -LDParity -Start -L0 -a0 >/dev/null
    cycle
    "$zancli" -LDCC -Start -L0 -a0 >/dev/null
    "$zansim" fail 2 1 # a degraded logical drive stops its check
    cycle
    run events_from 2
    # Two inconsistencies, spread over the 286748672 blocks of the logical drive.
    [ "$output" = "2 Information zanservice 0x60001170: Controller [0] Check Consistency started on Logical Drive [0]. 
3 Error zanservice 0xE00011D0: Controller [0] Parity Inconsistency occurred on Logical Drive [0]. Address = 0x[5b27aaa].
4 Error zanservice 0xE00011D0: Controller [0] Parity Inconsistency occurred on Logical Drive [0]. Address = 0x[b64f554].
5 Information zanservice 0x60001180: Controller [0] Check Consistency completed on Logical Drive [0].
6 Information zanservice 0x60001190: Controller [0] Make Parity started on Logical Drive [0].
7 Information zanservice 0x600011C0: Controller [0] Make Parity aborted on Logical Drive [0].
8 Information zanservice 0x60001190: Controller [0] Make Parity started on Logical Drive [0].
9 Information zanservice 0x600011A0: Controller [0] Make Parity completed on Logical Drive [0].
10 Information zanservice 0x60001170: Controller [0] Check Consistency started on Logical Drive [0]. 
11 Warning zanservice 0xA0001000: Controller [0] Physical Drive [1] Failed .Drive status = 0x[20] Detailedcode: 18fff120.
12 Error zanservice 0xE0001090: Controller[0] Logical Drive[0] status changed to Degraded. (Status = 0x[1]). Detailedcode: 24001fff.
13 Information zanservice 0x600011B0: Controller [0] Check Consistency aborted on Logical Drive[0].
14 Information zanservice 0x60001150: Controller [0] Rebuild started on Logical Drive[0].
15 Information zanservice 0x60001160: Controller [0] Rebuild completed on Logical Drive[0].
16 Information zanservice 0x60001030: Controller [0] Physical Drive [2] status changed to GOOD.
17 Information zanservice 0x600010B0: Controller[0] Logical Drive[0] status changed from Degraded to Optimal." ]
}

@test "named entries, firmware findings and forced states reach the event log with their exact texts and raw data" {
    two_spares
    start_service
    "$zansim" event hardware 2 c0ffee42
    "$zansim" event check 2 4 28000000100000000800 700003000000000a00000000110000
    for i in 1 2 3 4 5 6 7 8 9 10 11; do "$zansim" event singlebit 2 7 200; done
    "$zansim" event copy 2 0 start 4
    "$zansim" event copy 2 0 end
    "$zansim" event copy 2 0 abort
    "$zansim" event medium 2 1 12
    "$zansim" smart 2 4 5d
    "$zansim" badspot add 2 4 0x1234 77
    "$zansim" event hardware 2 1 --ignore
    "$zancli" -PDOffline -PhysDrv[0:4] -a0 -nochk >/dev/null
    "$zancli" -PDOnline -PhysDrv[0:4] -a0 -nochk >/dev/null
    cycle
    run events_from 2
    [ "$output" = "2 Error zanservice 0xE0001140: Controller [0] Hardware error occurred. errorcode = 0x[c0ffee42]. Detailedcode: 34c0ffee.
3 Information zanservice 0x60001100: Controller [0] Physical Drive [4] : Check Condition SenseKEY=0x[03],ASC=0x[11],ASCQ=0x[00].
4 Warning zanservice 0xA0001071: Controller [0] memory single bit error reaches the threshold. Detailedcode: 58000007.
5 Warning zanservice 0xA0001071: Controller [0] memory single bit error reaches the threshold. Detailedcode: 580000c8.
6 Information zanservice 0x60001240: Controller [0] Prevent copy started to Physical Drive[4] of Logical Drive[0].
7 Information zanservice 0x60001250: Controller [0] Prevent copy completed on Logical Drive[0].
8 Warning zanservice 0xA0001260: Controller [0] Prevent copy aborted on Logical Drive[0].
9 Information zanservice 0x60001254: Controller [0] Physical Drive [1] : Medium sector error count is changed.([12])
10 Warning zanservice 0xA0001120: Controller [0] Physical Drive [4] : S.M.A.R.T. driver detects imminent failure. (Code=0x[5d]) Detailedcode: 2cfff400.
11 Warning zanservice 0xA0001270: Controller [0] Physical Drive[4]: Bad spot[address 0x1234] detected. Detailedcode: 4cfff406.
12 Warning zanservice 0xA0001270: Controller [0] Physical Drive[4]: Bad spot[address 0x4d] detected. Detailedcode: 4cfff406.
13 Warning zanservice 0xA0001000: Controller [0] Physical Drive [4] Failed .Drive status = 0x[20] Detailedcode: 18fff420.
14 Information zanservice 0x60001220: Controller [0] Physical Drive [4] status set Failed.
15 Information zanservice 0x60001030: Controller [0] Physical Drive [4] status changed to GOOD.
16 Information zanservice 0x60001210: Controller [0] Physical Drive [4] status set GOOD." ]
    # The raw data: the hardware error's detail area, the check condition's CDB and sense bytes.
    run "$zansim" eventlog --data
    zeros() { printf ' 00%.0s' $(seq "$1"); }
    [ "${lines[2]}" = "  data:$(zeros 16) 42 ee ff c0$(zeros 8) 40$(zeros 419)" ]
    [ "${lines[4]}" = "  data: 2a 2a 2a 63 64 62 2a 2a 28 00 00 00 10 00 00 00 08 00 00 00 2a 2a 2a 2a 2a 2a 73 6e 73 64 74 2a 70 00 03 00 00 00 00 0a 00 00 00 00 11 00 00$(zeros 25)" ]

    # The ignore flag of a medium error count is not looked at. Without
    # spares, a member forced good makes its logical drive optimal.
    "$zansim" event medium 2 1 13 --ignore
    "$zansim" pull 2 2
    "$zansim" pull 2 3
    "$zancli" -PDOffline -PhysDrv[0:0] -a0 -nochk >/dev/null
    "$zancli" -PDOnline -PhysDrv[0:0] -a0 -nochk >/dev/null
    cycle
    run events_from 17
    [ "$output" = "17 Information zanservice 0x60001254: Controller [0] Physical Drive [1] : Medium sector error count is changed.([13])
18 Error zanservice 0xE0001010: Controller [0] Physical Drive [2] was offline. Drive status = 0x[ff] . Detailedcode: 1cfff2ff.
19 Error zanservice 0xE0001010: Controller [0] Physical Drive [3] was offline. Drive status = 0x[ff] . Detailedcode: 1cfff3ff.
20 Warning zanservice 0xA0001000: Controller [0] Physical Drive [0] Failed .Drive status = 0x[20] Detailedcode: 18fff020.
21 Error zanservice 0xE0001090: Controller[0] Logical Drive[0] status changed to Degraded. (Status = 0x[10]). Detailedcode: 24010fff.
22 Information zanservice 0x60001220: Controller [0] Physical Drive [0] status set Failed.
23 Information zanservice 0x60001030: Controller [0] Physical Drive [0] status changed to GOOD.
24 Information zanservice 0x600010B0: Controller[0] Logical Drive[0] status changed from Degraded to Optimal.
25 Information zanservice 0x60001210: Controller [0] Physical Drive [0] status set GOOD.
26 Information zanservice 0x60001230: Controller [0] Logical Drive [0] status set Optimal." ]
}

@test "a ring overfilled while the service restarts: every entry it still holds is reported once, in order" {
    TASK_SECONDS=100 two_spares
    start_service
    "$zansim" event medium 2 1 7
    cycle
    # 5002 entries between two poll cycles of two service processes: the
    # check's start, 5000 inconsistencies and its end; the ring keeps the
    # last 4096.
    "$zansim" inconsistencies 2 0 5000
    "$zancli" -LDCC -Start -L0 -a0 >/dev/null
    "$zansim" service stop zanservice
    "$zansim" service wait zanservice STOPPED
    "$zansim" clock advance 100
    "$zansim" fault clear 2 # any change brings the adapter up to the clock
    "$zansim" service start zanservice "$ZAN_BIN/zanservice" >/dev/null
    "$zansim" service idle zanservice
    "$zansim" event medium 2 1 8
    cycle
    run "$zansim" eventlog
    [ "${lines[1]}" = "2 Information zanservice 0x60001254: Controller [0] Physical Drive [1] : Medium sector error count is changed.([7])" ]
    [ "${lines[2]}" = "3 Information zanservice 0x60000010: zanservice was started." ]
    # What the firmware wrote and the ring still held: inconsistencies 906
    # to 5000, 57338 blocks apart, then the end of the check.
    diff <(printf '%s\n' "${lines[@]:3:4095}" | sed -n 's/.*Address = 0x\[\(.*\)\]\.$/\1/p') \
         <(seq 906 5000 | awk '{ printf "%x\n", $1 * 57338 }')
    [ "${lines[4098]}" = "4099 Information zanservice 0x60001180: Controller [0] Check Consistency completed on Logical Drive [0]." ]
    [ "${lines[4099]}" = "4100 Information zanservice 0x60001254: Controller [0] Physical Drive [1] : Medium sector error count is changed.([8])" ]
    [ "${#lines[@]}" -eq 4100 ]
}

@test "garbled entries are read past and garbage statuses retried or waited out; monitoring goes on" {
    two_spares
    start_service
    "$zansim" event 2 ffff ffff 0x0:deadbeef 0x140:4800 0x1f0:0102030405060708
    "$zansim" event 2 2 2 0x140:4800 0x144:99 0x145:fe # states no logical drive has
    "$zansim" event 2 21 4 0x52:77                    # a task that does not exist
    "$zansim" event 2 2 2 0x140:ffff                  # no such change
    "$zansim" event medium 2 1 1
    # Four answers with a failure status: the request's retries see them through.
    "$zansim" fault status 2 0x8013 4
    cycle
    # Six in a row fail the RAID status: the adapter is skipped this cycle
    # and its entries wait for the next.
    "$zansim" event medium 2 1 2
    "$zansim" fault status 2 0xbeef 6
    cycle
    [ "$("$zansim" eventlog | wc -l)" -eq 2 ]
    cycle
    run events_from 2
    [ "$output" = "2 Information zanservice 0x60001254: Controller [0] Physical Drive [1] : Medium sector error count is changed.([1])
3 Information zanservice 0x60001254: Controller [0] Physical Drive [1] : Medium sector error count is changed.([2])" ]
}

@test "the service beside zancli changing the adapter: busy answers are waited out and every event reported once" {
    two_spares
    start_service
    (
        for i in 1 2 3 4 5 6 7 8 9 10; do
            "$zancli" -PDOffline -PhysDrv[0:4] -a0 -nochk >/dev/null
            "$zancli" -PDOnline -PhysDrv[0:4] -a0 -nochk >/dev/null
        done
    ) &
    worker=$!
    while kill -0 "$worker" 2>/dev/null; do cycle; done
    wait "$worker"
    # An adapter held by another program answers busy until it is let go.
    "$zansim" event medium 2 1 5
    "$zansim" hold 2 1 >"$BATS_TEST_TMPDIR/hold" &
    until [ -s "$BATS_TEST_TMPDIR/hold" ]; do sleep 0.05; done
    cycle
    wait
    # Every entry once, in the order written: failed, set failed, good, set
    # good, ten times, then the medium error count.
    run "$zansim" eventlog
    expected=$(for i in 1 2 3 4 5 6 7 8 9 10; do printf 'A0001000\n60001220\n60001030\n60001210\n'; done; echo 60001254)
    [ "$(printf '%s\n' "${lines[@]:1}" | sed 's/^[0-9]* [A-Za-z]* zanservice 0x\([0-9A-F]*\):.*/\1/')" = "$expected" ]
    [ "${lines[1]}" = "2 Warning zanservice 0xA0001000: Controller [0] Physical Drive [4] Failed .Drive status = 0x[20] Detailedcode: 18fff420." ]
}
