#!/usr/bin/env bats
# zanutil's hosted driver against simulated machines: the pages of the demo
# machine, operations that change the adapter exactly as zancli's do, the
# single instance, the Japanese texts, firmware update and an adapter that
# stops answering.
#
# The demo machine: adapter 0 has RAID 1 on drives 0+1 and RAID 5 on 2-4
# (holding D:), spare 5, free 6 and 7; adapter 1 has RAID 10 on 0-3, RAID 0
# on 4+5, spare 6, free 7.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    demo
    util="$ZAN_BIN/zanutil"
    cd "$BATS_TEST_TMPDIR"
}

# The simulator's view without its request counters.
state() {
    "$ZAN_BIN/zansim" show | grep -v "Requests answered"
}

@test "the demo machine's pages, adapter 1 included" {
    run "$util" controller 1 show page maintain show
    [ "$status" -eq 1 ]
    [ "$output" = "== View Configuration ==
  ZAN8SAS (adapter0)
* ZAN8SAS (adapter1)
-- Logical Drives --
  Logical Drive No. | State | Capacity[GB] | RAID Level | Assigned to
  LD0 | OPTIMAL | 280.028 | RAID10 | 
  LD1 | OPTIMAL | 572.204 | RAID0 | 
-- Physical Drives --
  HDD No. | LD No. | State | Capacity[GB]
  HDD0 | LD0 | GOOD | 140.014
  HDD1 | LD0 | GOOD | 140.014
  HDD2 | LD0 | GOOD | 140.014
  HDD3 | LD0 | GOOD | 140.014
  HDD4 | LD1 | GOOD | 286.102
  HDD5 | LD1 | GOOD | 286.102
  HDD6 | SP | GOOD | 140.014
  HDD7 | Free | GOOD | 286.102
buttons: [adapter Information]
== Maintain Logical Drive ==
-- Logical Drives --
  Logical Drive No. | State | Avaiable to | Progress | Error Count
  LD0 | OPTIMAL | Check Consistency | - | 0
  LD1 | OPTIMAL | - | - | 0
buttons: [REBUILD (disabled)] [Check Consistency (disabled)] [Make Parity (disabled)] [STOP (disabled)]" ]
}

@test "creating, setting a spare, forcing a drive good and checking change the adapter as zancli does" {
    run "$util" page create click 6 click 7 level 1 cache on off press CREATE
    [ "$status" -eq 1 ]
    state > gui.txt
    demo
    run "$ZAN_BIN/zancli" -CfgLDAdd -R1[0:6,0:7] -WT -RA -a0 -nochk
    [ "$output" = "Adapter 0: Created Virtual drv-2." ]
    state > cli.txt
    diff gui.txt cli.txt

    demo
    "$ZAN_BIN/zansim" clock set 1000000000
    "$ZAN_BIN/zansim" fail 3 7
    run "$util" controller 1 menu 7 good page spares click 7 press SET page maintain click 0 press 1
    [[ "$output" != *"[message"* ]]
    state > gui.txt
    demo
    "$ZAN_BIN/zansim" clock set 1000000000
    "$ZAN_BIN/zansim" fail 3 7
    "$ZAN_BIN/zancli" -PDOnline -PhysDrv[1:7] -a1 -nochk >/dev/null
    "$ZAN_BIN/zancli" -PDHSP -Set -PhysDrv[1:7] -a1 -nochk >/dev/null
    "$ZAN_BIN/zancli" -LDCC -Start -L0 -a1 >/dev/null
    state > cli.txt
    diff gui.txt cli.txt
}

# Each case: the preparation of both machines (zansim and zancli commands),
# the utility's steps on one, and the zancli commands doing the same on the
# other; ";" separates commands. The adapters must change, and end alike in
# the simulator's and zancli's reports.
@test "restore, rebuild, parity, spare release and the settings change the adapter as zancli does" {
    local prepare steps commands command side list
    while IFS='|' read -r prepare steps commands; do
        for side in before gui cli; do
            demo
            "$ZAN_BIN/zansim" clock set 1000000000 >/dev/null
            IFS=';' read -ra list <<<"$prepare"
            for command in "${list[@]}"; do
                eval "\"\$ZAN_BIN\"/$command" >/dev/null
            done
            if [ "$side" = gui ]; then
                eval "run \"\$util\" $steps"
                [[ "$output" != *"[message error"* ]] || { echo "$steps: $output"; false; }
            elif [ "$side" = cli ]; then
                IFS=';' read -ra list <<<"$commands"
                for command in "${list[@]}"; do
                    eval "\"\$ZAN_BIN/zancli\" $command" >/dev/null
                done
            fi
            { state; "$ZAN_BIN/zancli" -AdpAllInfo -aALL; "$ZAN_BIN/zancli" -LDInfo -Lall -aALL; } >"$side.txt"
        done
        ! diff -q before.txt gui.txt >/dev/null || { echo "$steps changed nothing"; false; }
        diff gui.txt cli.txt || { echo "$steps differs from $commands"; false; }
    done <<'EOF'
zansim restore add 2 1 6 7|page restore click 0 press RESTORE|-LDRstr -Rstr -SL0 -a0 -nochk
zansim restore add 2 1 6 7|page restore click 0 press DELETE|-LDRstr -Del -SL0 -a0 -nochk
zancli -AdpAutoRbld -Dsbl -L1 -a0 -nochk;zansim fail 2 3|page maintain click 1 press REBUILD|-PDRbld -Start -PhysDrv[0:2] -a0
|page maintain click 1 press 2|-LDParity -Start -L1 -a0
zancli -LDParity -Start -L1 -a0|page maintain click 1 press STOP|-LDParity -Abort -L1 -a0
|page spares click 5 press SET|-PDHSP -Rmv -PhysDrv[0:5] -a0 -nochk
|adapter-set 3 1 3|-PDRbldPrrty -Idle -Low -a0 -nochk;-PDRbldPrrty -Busy -High -a0 -nochk;-AdpPRSetDelay -Low -a0 -nochk
|ld-set 1 0 1 0|-LDSetProp -NORA -WB -L1 -a0 -nochk;-AdpAutoRbld -Dsbl -L1 -a0 -nochk
EOF
}

@test "a second instance says so and ends at once with status 0" {
    mkfifo hold_in
    "$ZAN_BIN/hold_mutex" ZANUtil < hold_in > hold_out 2>&1 &
    holder=$!
    exec 5> hold_in
    for _ in $(seq 100); do
        [ -s hold_out ] && break
        sleep 0.05
    done
    run "$util" show
    exec 5>&-
    wait "$holder"
    [ "$status" -eq 0 ]
    [ "$output" = "[message error: RAID Management Console]
RAID Management Console is already running." ]
}

@test "Locale 1 gives the Japanese texts, any other value English" {
    run "$util" show # creates the utility's key with Locale 0
    grep -q 'zanutility' root/registry.reg
    sed -i 's/"Locale"=dword:00000000/"Locale"=dword:00000001/' root/registry.reg
    run "$util" page delete click 1 press DELETE
    [[ "$output" == *"[message warning: 論理ドライブの削除]
ドライブ文字が割り当てられた論理ドライブは削除できません。"* ]]
    sed -i 's/"Locale"=dword:00000001/"Locale"=dword:00000002/' root/registry.reg
    run "$util" page delete click 1 press DELETE
    [[ "$output" == *"Cannot delete the Logical Drive which has drive latter[s]."* ]]
}

@test "firmware update from the adapter dialog: progress, refusal of an older image" {
    "$ZAN_BIN/zansim" image write new.img --revision 1.30 --length 10000 --date 2009/04/24 --author Meridan >/dev/null
    run "$util" firmware new.img
    [ "$status" -eq 1 ]
    [[ "$output" == *"General Revision	1.30
Date			2009/4/24
Author			Meridan
Size			2710H

-> execute
progress 1/3
progress 2/3
progress 3/3
[message information: Update Information]
The firmware update has finished."* ]]
    "$ZAN_BIN/zansim" restart 2
    [ "$("$ZAN_BIN/zancli" -AdpAllInfo -a0 | grep '^General Revision')" = "General Revision      : 1.30" ]

    "$ZAN_BIN/zansim" image write old.img --revision 1.00 >/dev/null
    run "$util" firmware old.img
    [[ "$output" == *"The update file is an older revision."* ]]
    [[ "$output" != *progress* ]]
    mkdir folder.img
    run "$util" firmware folder.img
    [[ "$output" == *"The update file was not found."* ]]
}

@test "an adapter that stops answering while a page is open closes the window once" {
    "$ZAN_BIN/zansim" fault at 2 25 silent
    run "$util" page create page spares page restore show
    [ "$status" -eq 1 ]
    [ "$(grep -c '^\[message error: RAID Management Console\]' <<<"$output")" -eq 1 ]
    [[ "$output" == *"An error has occurred with Windows API. (code=0x79)"* ]]
    [[ "$output" != *"== Restore"* ]]
}
