#!/usr/bin/env bats
# zanservice's Raid Turbine checks at start-up on simulated machines: the
# warning boxes on the desktop stand-in, and the disks and volumes behind them.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
}

teardown() {
    if "$zansim" service stop zanservice 2>/dev/null; then
        "$zansim" service wait zanservice STOPPED
    fi
}

# Starts the service on the stopped clock and waits for its first 120 s wait;
# the boxes are shown on threads of their own, so then waits up to 5 s for
# COUNT of them.
start_and_wait_for_boxes() {
    "$zansim" clock set 1230797103
    "$zansim" service start zanservice "$ZAN_BIN/zanservice" >/dev/null
    "$zansim" service idle zanservice
    for _ in $(seq 50); do
        [ "$("$zansim" desktop | wc -l)" -ge "$1" ] && break
        sleep 0.1
    done
}

NO_LETTER='"zanservice" 0x00200030: Controller [1] Raid Turbine Logical Drive [%d] has no drive letter. Logical Drive may fail. Please refer the manual.'
DYNAMIC='"zanservice" 0x00200030: Controller [1] Raid Turbine Logical Drive [%d] is Dynamic Disk. Logical Drive may fail. Please refer the manual.'

@test "a Raid Turbine drive without a letter and one on a dynamic disk get one box each; a lettered basic one and a failed one none" {
    # Disks: 0 = logical drive 0 (no volume), 1 = logical drive 1 (dynamic,
    # E:), 2 = logical drive 2 (F:), 3 = logical drive 3 (failed), 4 = the
    # system disk. G: and H: on logical drive 2 let the probe reach disk 1.
    machine <<'EOF'
[adapter 2]
controller_id = 1
[drive 0]
[drive 1]
[drive 2]
[drive 3]
present = no
[logical 0]
level = 0
members = 0
stripe = none
turbine = 0x5A
[logical 1]
level = 0
members = 1
stripe = none
turbine = 0xA5
disk = dynamic
volumes = E
[logical 2]
level = 0
members = 2
stripe = none
turbine = 0x5A
volumes = F G H
[logical 3]
level = 0
members = 3
stripe = none
turbine = 0x5A
EOF
    run "$zansim" disks
    [ "$output" = 'PHYSICALDRIVE0: port 2, logical drive 0, "MERIDAN ZAN8SAS RAID", basic, no volumes
PHYSICALDRIVE1: port 2, logical drive 1, "MERIDAN ZAN8SAS RAID", dynamic, volumes E:
PHYSICALDRIVE2: port 2, logical drive 2, "MERIDAN ZAN8SAS RAID", basic, volumes F: G: H:
PHYSICALDRIVE3: port 2, logical drive 3, "MERIDAN ZAN8SAS RAID", basic, no volumes
PHYSICALDRIVE4: port 0, system disk, "ORVALE OV160SATA", basic, volumes C:' ]
    "$zansim" show | grep -Eq '^  1 +RAID0 +good .* E:, dynamic disk, Raid Turbine 0xA5$'
    "$zansim" show | grep -Eq '^  3 +RAID0 +alarm .* -, Raid Turbine 0x5A$'

    start_and_wait_for_boxes 2
    sleep 0.3
    # Each box has a thread of its own: they may be recorded in either order.
    run "$zansim" desktop
    [ "$(cut -d' ' -f2- <<<"$output" | sort)" = "$(printf "$NO_LETTER\n$DYNAMIC\n" 0 1 | sort)" ]
    # The boxes took the place of Event Log reports.
    "$zansim" eventlog | grep -q 'zanservice was started'
    ! "$zansim" eventlog | grep -q 'Raid Turbine'

    "$zansim" desktop clear
    [ -z "$("$zansim" desktop)" ]
}

@test "the checks follow the disk and letters the machine has when the service starts" {
    machine <<'EOF'
[adapter 2]
controller_id = 1
[drive 0]
[logical 0]
level = 0
members = 0
stripe = none
volumes = E
EOF
    # Not a Raid Turbine drive: no box, whatever its disk.
    "$zansim" disk 2 0 dynamic
    start_and_wait_for_boxes 1
    [ -z "$("$zansim" desktop)" ]
    "$zansim" service stop zanservice
    "$zansim" service wait zanservice STOPPED

    # Raid Turbine on a dynamic disk (C: and E: let the probe reach disk 0).
    "$zansim" turbine 2 0 0xa5
    start_and_wait_for_boxes 1
    run "$zansim" desktop
    [ "$output" = "$(printf "1 $DYNAMIC" 0)" ]
    "$zansim" service stop zanservice
    "$zansim" service wait zanservice STOPPED

    # Basic again with its letter: no box; without it: the letter warning.
    "$zansim" disk 2 0 basic
    "$zansim" desktop clear
    start_and_wait_for_boxes 1
    [ -z "$("$zansim" desktop)" ]
    "$zansim" service stop zanservice
    "$zansim" service wait zanservice STOPPED
    "$zansim" volume remove E
    start_and_wait_for_boxes 1
    run "$zansim" desktop
    [ "$output" = "$(printf "1 $NO_LETTER" 0)" ]
}

@test "an adapter with controller number 0 is not checked, and the tools show a Raid Turbine level as abnormal" {
    machine <<'EOF'
[adapter 2]
controller_id = 0
[drive 0]
[logical 0]
level = 0
members = 0
stripe = none
turbine = 0x5A
EOF
    start_and_wait_for_boxes 1
    [ -z "$("$zansim" desktop)" ]
    run "$ZAN_BIN/zancli" -LDInfo -L0 -a0
    [ "${lines[-1]}" = "Fatal error - Adapter 0: DLL information is abnormal." ]
}

@test "disk and turbine settings refuse what is not there" {
    machine <<'EOF'
[adapter 2]
[drive 0]
[logical 0]
level = 0
members = 0
stripe = none
EOF
    run "$zansim" disk 2 1 dynamic
    [ "$status" -eq 1 ]
    [ "$output" = "zansim: logical drive 1 is not defined" ]
    run "$zansim" turbine 2 0 0x5B
    [ "$status" -eq 2 ]
    run "$zansim" disk 4 0 basic
    [ "$output" = "zansim: no adapter on port 4" ]
}
