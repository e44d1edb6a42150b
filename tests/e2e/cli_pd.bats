#!/usr/bin/env bats
# zancli's physical-drive commands: reports, forcing drives online and
# offline, global hot spares and the locate LED, on fresh simulated machines.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zancli="$ZAN_BIN/zancli"
}

# Adapter 0: a RAID 1 with a spare in use and a group hot spare, drives in
# every state and link the report shows; adapter 1: only drive 9, which the
# tool does not count.
drives_machine() {
    machine <<'SCENARIO'
[adapter 2]
[drive 0]
[drive 1]
state = alarm1
link = error
smart = received
bad_spots = 100 200
[drive 2]
state = attention2
link = 1.5G
[drive 3]
link = disabled
[drive 4]
spare = yes
[drive 5]
vendor = "ORMOLU"
product = "OR146SA"
revision = "A3"
inquiry = "ORMOLU  OR146SA         A3  serial 42"
[logical 0]
level = 1
members = 0 2s 3g
[adapter 3]
[drive 9]
SCENARIO
}

# The State line of one drive.
state_of() { # adapter, drive
    "$zancli" -PDInfo "-PhysDrv[0:$2]" "-a$1" | sed -n 's/^State: *//p'
}

class_of() { # adapter, drive
    "$zancli" -PDInfo "-PhysDrv[0:$2]" "-a$1" | sed -n 's/^Class: *//p'
}

@test "-PDList prints every present drive; an adapter without any is named" {
    drives_machine
    diff -u "$ZAN_SOURCE/tests/expected/zancli-pdlist.txt" <("$zancli" -PDList -aALL)

    run "$zancli" -PDList -a1
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Adapter 1: There is no Physical Drive." ]
    run "$zancli" -PDList -a1,0
    [ "$output" = "Fatal error - Adapter 1: There is no Physical Drive." ]

    demo
    run "$zancli" -pdlist -A1
    [ "$(grep -c '^Physical Disk: ' <<<"$output")" -eq 8 ]
    [ "$(sed -n 's/^Assign Virtual Disk: *//p' <<<"$output" | tr '\n' ' ')" = "0-D0 0-D1 0-D2 0-D3 1-D0 1-D1 - - " ]
}

@test "-PDList and -PDGetNum name their fixed arguments" {
    demo
    run "$zancli" -PDList -x -a0
    [ "$output" = "Invalid input at or near token -x." ]
    run "$zancli" -PDList -a0 -a1
    [ "$output" = "Invalid input at or near token -a0." ]
    run "$zancli" -PDList
    [ "$output" = "Invalid input at or near token -PDList." ]
    for options in "" "-x" "-a0 -a1" "-a0 -nochk" "-PhysDrv[0:0] -a0"; do
        run "$zancli" -PDGetNum $options
        [ "$status" -eq 0 ]
        [ "$output" = "Invalid input at or near token -PDGetNum." ]
    done
}

@test "-PDGetNum counts drives 0 to 7" {
    drives_machine
    run "$zancli" -PDGetNum -aALL
    [ "$status" -eq 0 ]
    [ "$output" = "Number of Physical drives on adapter 0: 6.
Number of Physical drives on adapter 1: 0." ]
}

@test "-PDInfo shows the listed drives in ascending order" {
    drives_machine
    run "$zancli" -PDInfo -PhysDrv[0:5,0:2] -a0
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "Adapter 0 -- Physical Drive Information:" ]
    [ "${lines[1]}" = "Physical Disk: 2" ]
    [ "${lines[14]}" = "Physical Disk: 5" ]
    diff <(sed -n '/^Physical Disk: 2$/,/^$/p' "$ZAN_SOURCE/tests/expected/zancli-pdlist.txt") \
         <("$zancli" -PDInfo -PhysDrv[:2] -a0 | sed -n '/^Physical Disk: 2$/,/^$/p')

    # A drive missing on any listed adapter: only the message.
    run "$zancli" -PDInfo -PhysDrv[0:0] -aALL
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Adapter 1-The specified Physical Drive: 0 doesn't exist." ]

    run "$zancli" -PDInfo -PhysDrv[0:12] -a0
    [ "$output" = "Invalid input at or near token -PDInfo." ]
    run "$zancli" -PDInfo -a0 -PhysDrv[0:3,]
    [ "$output" = "Invalid input at or near token -a0." ]
    run "$zancli" -PDInfo -a0
    [ "$output" = "Invalid input at or near token -a0." ]
}

@test "-PDOnline lists, asks and sets only the offline drives" {
    drives_machine
    run "$zancli" -PDOnline -PhysDrv[0:5,0:1,0:7] -a0 <<<"y"
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter 0-PD 1
Adapter 0-PD 5: It is already the setting.
Adapter 0-PD 7: The specified Physical Drive doesn't exist.
Is the online executed?(Y/N)?
Fatal error - Adapter 0-The specified Physical Drive: 7 doesn't exist." ]
    [ "$(state_of 0 1)" = "Alarm1" ]

    run "$zancli" -PDOnline -PhysDrv[0:1] -a0 <<<"n"
    [ "$output" = "Adapter 0-PD 1
Is the online executed?(Y/N)?" ]
    [ "$(state_of 0 1)" = "Alarm1" ]

    run "$zancli" -PDOnline -PhysDrv[0:5,0:1] -a0 <<<"y"
    [ "$status" -eq 0 ]
    [ "${lines[3]}" = "Physical Drive 1 ( Adapter 0 ) state changed to OnLine." ]
    [ "${lines[4]}" = "Fatal error - Adapter 0-Physical Drive 5: It is already the setting." ]
    [ "$(state_of 0 1)" = "Good" ]

    run "$zancli" -PDOnline -PhysDrv[0:2] -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Adapter 0-Physical Drive 2: It is already the setting." ]
}

@test "-PDOffline takes a drive offline and passes over one already offline" {
    drives_machine
    run "$zancli" -PDOffline -PhysDrv[0:5,0:1] -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Adapter 0-Physical Drive 1: It is already the setting.
Physical Drive 5 ( Adapter 0 ) state changed to OffLine." ]
    [ "$(state_of 0 5)" = "Alarm0" ]

    run "$zancli" -PDOffline -PhysDrv[0:0] -a0 </dev/null
    [ "$output" = "Adapter 0-PD 0
Is the offline executed?(Y/N)?" ]
    [ "$(state_of 0 0)" = "Good" ]

    run "$zancli" -PDOffline -PhysDrv[0:0] -a0 -nochk -nochk
    [ "$output" = "Invalid input at or near token -nochk." ]
    run "$zancli" -PDOffline -a0 -nochk
    [ "$output" = "Invalid input at or near token -nochk." ]
}

@test "-PDHSP -Set makes good free drives global hot spares" {
    drives_machine
    run "$zancli" -PDHSP -Set -PhysDrv[0:5,0:4,0:2,0:1] -a0 <<<"y"
    [ "$status" -eq 0 ]
    [ "$output" = "Is it executed?(Y/N)?
Fatal error - Adapter 0-PD 1: state is not GOOD.
Fatal error - Adapter 0-PD 2: state is not GOOD.
Fatal error - Adapter 0-Physical Drive 4: It is already the setting.
Adapter 0: Physical Drive 5 was set to the Hot Spare." ]
    [ "$(class_of 0 5)" = "Spare No Use" ]

    run "$zancli" -PDHSP -Set -PhysDrv[0:0] -a0 <<<"n"
    [ "$output" = "Is it executed?(Y/N)?" ]

    # The adapter refuses a member of a logical drive; the library's report
    # ends the command with status 0.
    run "$zancli" -PDHSP -Set -PhysDrv[0:0,0:5] -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Internal error -0x200010001000." ]
    [ "$(class_of 0 0)" = "Member Use" ]
}

@test "-PDHSP -Rmv lists the spares and releases them" {
    demo
    run "$zancli" -PDHSP -Rmv -PhysDrv[0:6,0:5] -aALL <<<"y"
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter 0-PD 5
Adapter 0-PD 6: It is already the setting.
Adapter 1-PD 5: It is already the setting.
Adapter 1-PD 6
Is the removing of Hot Spare executed?(Y/N)?
Adapter 0: Physical Drive 5 was removed to the Hot Spare.
Fatal error - Adapter 0-Physical Drive 6: It is already the setting.
Fatal error - Adapter 1-Physical Drive 5: It is already the setting.
Adapter 1: Physical Drive 6 was removed to the Hot Spare." ]
    [ "$(class_of 0 5)" = "Fresh" ]
    [ "$(class_of 1 6)" = "Fresh" ]

    run "$zancli" -PDHSP -Set -Rmv -PhysDrv[0:5] -a0
    [ "$output" = "Invalid input at or near token -Set." ]
    run "$zancli" -PDHSP -PhysDrv[0:5] -a0
    [ "$output" = "Invalid input at or near token -a0." ]
}

@test "-PDLocate switches the LED of every listed drive" {
    demo
    run "$zancli" -PDLocate -Active -PhysDrv[0:1,0:0] -aALL
    [ "$status" -eq 0 ]
    [ "$output" = "Physical Drive 0 ( Adapter 0 ) LED is Active.
Physical Drive 1 ( Adapter 0 ) LED is Active.
Physical Drive 0 ( Adapter 1 ) LED is Active.
Physical Drive 1 ( Adapter 1 ) LED is Active." ]
    grep -qx 'led = 0x30' "$ZAN_ROOT/adapters/port3.state"

    run "$zancli" -PDLocate -a1 -PhysDrv[0:1] -PASSIVE
    [ "$output" = "Physical Drive 1 ( Adapter 1 ) LED is not Active." ]

    run "$zancli" -PDLocate -Active -Passive -PhysDrv[0:1] -a0
    [ "$output" = "Invalid input at or near token -Active." ]
    run "$zancli" -PDLocate -Active -PhysDrv[0:1] -a0 -nochk
    [ "$output" = "Invalid input at or near token -a0." ]
}
