#!/usr/bin/env bats
# zancli's background-task commands: consistency check, parity making,
# rebuild and rebuild priority, their one-shot bars and the live display, on
# simulated machines. The screen tests run the tool in a terminal (tmux) and
# read the screen back.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zancli="$ZAN_BIN/zancli"
    zansim="$ZAN_BIN/zansim"
    tmux_socket="zan-tasks-$$-$BATS_TEST_NUMBER"
}

teardown() {
    if command -v tmux >/dev/null; then tmux -L "$tmux_socket" kill-server 2>/dev/null || true; fi
}

# Adapter 0: RAID 0 (logical drive 0, drives 0+1), RAID 5 (1: drives 2-4),
# RAID 1 (2: drives 5+6), spare 7; the work each logical drive does comes
# from the arguments: tasks_machine CHECK_OR_PARITY_ON_1 PROGRESS_1 REBUILD_ON_2.
tasks_machine() {
    machine <<SCENARIO
[adapter 2]
[drive 0]
[drive 1]
[drive 2]
[drive 3]
[drive 4]
[drive 5]
[drive 6]
[drive 7]
spare = yes
[logical 0]
level = 0
members = 0 1
[logical 1]
level = 5
members = 2 3 4
maintenance = $1
progress = $2
[logical 2]
level = 1
members = 5 6
rebuild = $3
progress = 64
SCENARIO
}

# The bar line of adapter $1, drive $2 drawn to $3 percent, as the tool
# prints it when standard output is no console.
bar() {
    local stars=$(( $3 / 2 )) line="-----------------------00 %-----------------------" i column
    for (( i = 0; i < stars; i++ )); do
        column=$(( i ))
        (( column >= 23 && column <= 26 )) && continue
        line="${line:0:column}*${line:column+1}"
    done
    if (( $3 == 100 )); then line="${line:0:23}100%${line:27}"; else line="${line:0:23}$(printf %02d "$3")${line:25}"; fi
    printf '   %2d       %2d     %s\r' "$1" "$2" "$line"
}

simulated_clock() {
    "$zansim" clock set >/dev/null 2>&1 || skip "this simulator has no clock to advance"
}

# ---- Option grammar and the rebuild priority -------------------------------

@test "task commands reject a second action, a missing selection and unknown options" {
    demo
    run "$zancli" -LDCC -Start -Abort -L1 -a0
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -Start." ]
    run "$zancli" -LDParity -ShowProg -a0
    [ "$output" = "Invalid input at or near token -a0." ]
    run "$zancli" -PDRbld -Start -L1 -a0
    [ "$output" = "Invalid input at or near token -Start." ]
    run "$zancli" -PDRbld -Start -PhysDrv[0:9] -a0
    [ "$output" = "Invalid input at or near token -Start." ]
}

@test "-PDRbldPrrty sets either priority, after the prompt unless -nochk" {
    demo
    run "$zancli" -PDRbldPrrty -Idle -Low -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter 0: The priority of Rebuild in IDLE state was made Low." ]
    run bash -c "printf 'y\n' | '$zancli' -PDRbldPrrty -High -Busy -aALL"
    [ "${lines[0]}" = "Is it executed?(Y/N)?" ]
    [ "${lines[1]}" = "Adapter 0: The priority of Rebuild in BUSY state was made High." ]
    [ "${lines[2]}" = "Adapter 1: The priority of Rebuild in BUSY state was made High." ]
    run bash -c "printf 'n\n' | '$zancli' -PDRbldPrrty -Idle -Middle -a0"
    [ "$output" = "Is it executed?(Y/N)?" ]
    run "$zancli" -AdpAllInfo -a0
    [[ "$output" == *"Rebuild Priority (IDLE)     : Low"* ]]
    [[ "$output" == *"Rebuild Priority (BUSY)     : High"* ]]
}

@test "-PDRbldPrrty names the command for any fault of its options" {
    demo
    for options in "-Idle -Busy -High -a0" "-High -Low -Idle -a0" "-Idle -High" "-Idle -High -a0 -L0" \
                   "-Idle -High -a0 -nochk -nochk"; do
        run "$zancli" -PDRbldPrrty $options
        [ "$status" -eq 0 ]
        [ "$output" = "Invalid input at or near token -PDRbldPrrty." ]
    done
}

# ---- Consistency check and parity making -----------------------------------

@test "-LDCC -Start refuses RAID 0 and drives that are busy, quietly with -Lall when one can start" {
    tasks_machine check 37 executing
    run "$zancli" -LDCC -Start -L0,1,2 -a0
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "Fatal error - Adapter 0-VD 0: Consistency Check cannot be done with RAID0." ]
    [ "${lines[1]}" = "Fatal error - Adapter 0-VD 1: It has already been executing it." ]
    [ "${lines[2]}" = "Fatal error - Adapter 0-VD 2: Rebuild is being executed." ]
    run "$zancli" -LDParity -Start -L1 -a0
    [ "$output" = "Fatal error - Adapter 0-VD 1: Consistency Check is being executed." ]
    run "$zancli" -LDParity -Start -L0 -a0
    [ "$output" = "Fatal error - Adapter 0-VD 0: Make parity cannot be done with RAID0." ]
    # Logical drive 2 is idle and redundant: with -Lall the refusals are left
    # out, although its rebuild keeps it from starting.
    run "$zancli" -LDCC -Start -Lall -a0
    [ "$status" -eq 0 ]
    [ -z "$output" ]
}

@test "-LDCC -Abort names idle drives unless -Lall finds a running check" {
    tasks_machine parity 10 not-needed
    run "$zancli" -LDCC -Abort -L0 -a0
    [ "$output" = "Fatal error - Adapter 0-VD 0: Consistency Check have already ended." ]
    run "$zancli" -LDCC -Abort -Lall -a0
    [ "${lines[1]}" = "Fatal error - Adapter 0-VD 1: Consistency Check have already ended." ]
    run "$zancli" -LDParity -Abort -L0 -a0
    [ "$output" = "Fatal error - Adapter 0-VD 0: Make Parity have already ended." ]
}

@test "-ShowProg draws the bar of a running task and names the others" {
    tasks_machine check 37 executing
    run "$zancli" -LDCC -ShowProg -L2,0,1 -a0
    [ "$status" -eq 0 ]
    # Targets go by drive number, whatever the order of the list.
    [ "${lines[0]}" = "Check Consistency on Adapter #0-VD #0 is not in progress." ]
    [ "${lines[1]}" = "Check Consistency progress of virtual drives..." ]
    [ "${lines[2]}" = " Adapter #  VD #               Percent Complete" ]
    [ "${lines[3]}" = "$(bar 0 1 37)" ]
    [ "${lines[4]}" = "Fatal error - Adapter 0-VD 2: Rebuild is being executed." ]
    # With -Lall the drives without a check are left out.
    run "$zancli" -LDCC -ShowProg -Lall -a0
    [ "${#lines[@]}" -eq 3 ]
    [ "${lines[2]}" = "$(bar 0 1 37)" ]
    run "$zancli" -LDParity -ShowProg -Lall -a0
    [ "${lines[0]}" = "Make Parity on Adapter #0-VD #0 is not in Progress." ]
    [ "${lines[1]}" = "Fatal error - Adapter 0-VD 1: Consistency Check is being executed." ]
    [ "${lines[2]}" = "Fatal error - Adapter 0-VD 2: Rebuild is being executed." ]
}

@test "-ShowProg at 0 and at 99 percent" {
    tasks_machine parity 99 not-needed
    run "$zancli" -LDParity -ShowProg -L1 -a0
    [ "${lines[0]}" = "Make Parity progress of virtual drives..." ]
    [ "${lines[2]}" = "$(bar 0 1 99)" ]
    tasks_machine parity 0 not-needed
    run "$zancli" -LDParity -ShowProg -L1 -a0
    [ "${lines[2]}" = "$(bar 0 1 0)" ]
}

@test "-ProgDsply with nothing running names the drives and waits for a key" {
    tasks_machine none 0 not-needed
    # No console input: no key can come, so the wait ends at once.
    run timeout 10 "$zancli" -LDCC -ProgDsply -L1,0 -a0 </dev/null
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "Check Consistency on Adapter #0-VD #0 is not in progress." ]
    [ "${lines[1]}" = "Check Consistency on Adapter #0-VD #1 is not in progress." ]
    [ "${lines[2]}" = $'\r   Press a key to continue...\r' ]
}

@test "-ProgDsply without a console to draw on says so" {
    tasks_machine check 37 not-needed
    run timeout 10 "$zancli" -LDCC -ProgDsply -L1 -a0 </dev/null
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "Check Consistency progress of virtual drives..." ]
    [ "${lines[2]}" = "Fatal error - Internal error -0x1000000f4240." ]
}

# ---- Rebuild ------------------------------------------------------------------

@test "-PDRbld: absent drives, -Abort, and drives that cannot rebuild" {
    tasks_machine check 50 executing
    run "$zancli" -PDRbld -Start -PhysDrv[0:7] -a0
    [ "$output" = "Fatal error - Adapter 0-PD 7: Rebuild cannot be executed." ]
    run "$zancli" -PDRbld -Start -PhysDrv[0:6,0:0,0:2] -a0
    [ "${lines[0]}" = "Fatal error - Adapter 0-PD 0: Rebuild cannot be done with RAID0." ]
    [ "${lines[1]}" = "Fatal error - Adapter 0-PD 2: Consistency Check is being executed." ]
    [ "${lines[2]}" = "Fatal error - Adapter 0-PD 6: It has already been executing it." ]
    run "$zancli" -PDRbld -Abort -PhysDrv[0:2] -a0
    [ "$status" -eq 0 ]
    [ "$output" = "-Abort param is not supported." ]
    "$zansim" pull 2 4
    run "$zancli" -PDRbld -ShowProg -PhysDrv[0:4] -a0
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Adapter 0-The specified Physical Drive: 4 doesn't exist." ]
}

@test "-PDRbld -ShowProg shows the rebuild of the drive's logical drive" {
    tasks_machine none 0 executing
    run "$zancli" -PDRbld -ShowProg -PhysDrv[0:7,0:5,0:2] -a0
    [ "${lines[0]}" = "Adapter 0-PD 2 is not in rebuild process." ]
    [ "${lines[1]}" = "Rebuild progress of physical drives..." ]
    [ "${lines[2]}" = " Adapter #  PD #               Percent Complete" ]
    [ "${lines[3]}" = "$(bar 0 5 64)" ]
    [ "${lines[4]}" = "Adapter 0-PD 7 is not in rebuild process." ]
    run timeout 10 "$zancli" -PDRbld -ProgDsply -PhysDrv[0:2] -a0 </dev/null
    [ "${lines[0]}" = "Adapter 0-PD 2 is not in rebuild process." ]
    [ "${lines[1]}" = $'\r   Press a key to continue...\r' ]
}

# ---- On the simulated clock ---------------------------------------------------

@test "demo: a consistency check started, shown at 37 percent and aborted" {
    demo
    simulated_clock
    run "$zancli" -LDCC -Start -Lall -a0
    [ "${lines[0]}" = "Start Consistency Check on Virtual Drive 0 ( Adapter 0 ) succeeded." ]
    [ "${lines[1]}" = "Start Consistency Check on Virtual Drive 1 ( Adapter 0 ) succeeded." ]
    "$zansim" clock advance 37 >/dev/null
    run "$zancli" -LDCC -ShowProg -L1 -a0
    [ "${lines[2]}" = "$(bar 0 1 37)" ]
    # A running check keeps parity making out, and starting it again is refused.
    run "$zancli" -LDParity -Start -L1 -a0
    [ "$output" = "Fatal error - Adapter 0-VD 1: Consistency Check is being executed." ]
    run "$zancli" -LDCC -Start -L1 -a0
    [ "$output" = "Fatal error - Adapter 0-VD 1: It has already been executing it." ]
    run "$zancli" -LDCC -Abort -L1 -a0
    [ "$output" = "Abort Consistency Check on Virtual Drive 1 ( Adapter 0 ) succeeded." ]
    run "$zancli" -LDCC -ShowProg -L1 -a0
    [ "$output" = "Check Consistency on Adapter #0-VD #1 is not in progress." ]
    # -Lall passes over the drive that no longer checks.
    run "$zancli" -LDCC -Abort -Lall -a0
    [ "$output" = "Abort Consistency Check on Virtual Drive 0 ( Adapter 0 ) succeeded." ]
}

@test "demo: parity making runs to its end" {
    demo
    simulated_clock
    run "$zancli" -LDParity -Start -L1 -a0
    [ "$output" = "Start Make Parity on Virtual Drive 1 ( Adapter 0 ) succeeded." ]
    "$zansim" clock advance 50 >/dev/null
    run "$zancli" -LDParity -ShowProg -L1 -a0
    [ "${lines[0]}" = "Make Parity progress of virtual drives..." ]
    [ "${lines[2]}" = "$(bar 0 1 50)" ]
    run "$zancli" -LDCC -ShowProg -L1 -a0
    [ "$output" = "Fatal error - Adapter 0-VD 1: Make Parity is being executed." ]
    "$zansim" clock advance 60 >/dev/null
    run "$zancli" -LDParity -Abort -L1 -a0
    [ "$output" = "Fatal error - Adapter 0-VD 1: Make Parity have already ended." ]
}

@test "demo: a failed member of the RAID 5 drive is rebuilt on the spare until the drive is optimal" {
    demo
    simulated_clock
    "$zansim" fail 2 3
    run "$zancli" -PDRbld -ShowProg -PhysDrv[0:5] -a0
    [ "${lines[0]}" = "Rebuild progress of physical drives..." ]
    [ "${lines[2]}" = "$(bar 0 5 0)" ]
    for percent in 25 50 75; do
        "$zansim" clock advance 25 >/dev/null
        run "$zancli" -PDRbld -ShowProg -PhysDrv[0:5] -a0
        [ "${lines[2]}" = "$(bar 0 5 $percent)" ]
    done
    "$zansim" clock advance 30 >/dev/null
    run "$zancli" -PDRbld -ShowProg -PhysDrv[0:5] -a0
    [ "$output" = "Adapter 0-PD 5 is not in rebuild process." ]
    run "$zancli" -LDInfo -L1 -a0
    [[ "$output" == *"State:                 Good"* ]]
    [[ "$output" == *"Rebuild State:         Not Needed"* ]]
}

@test "demo: -PDRbld -Start rebuilds a logical drive that needs it, once" {
    demo
    simulated_clock
    "$zancli" -AdpAutoRbld -Dsbl -L1 -a0 -nochk >/dev/null
    "$zansim" fail 2 3
    run "$zancli" -PDRbld -Start -PhysDrv[0:5,0:2,0:3] -a0
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "Start Rebuild on Physical Drive 2 ( Adapter 0 ) succeeded." ]
    [ "${lines[1]}" = "Fatal error - Adapter 0-PD 3: It has already been executing it." ]
    [ "${lines[2]}" = "Fatal error - Adapter 0-PD 5: Rebuild cannot be executed." ]
    run "$zancli" -LDCC -Start -L1 -a0
    [ "$output" = "Fatal error - Adapter 0-VD 1: Rebuild is being executed." ]
}

# ---- On the screen ---------------------------------------------------------

# Starts a shell in a 100x40 terminal; `type` sends it a command line.
terminal() {
    command -v tmux >/dev/null || skip "tmux is not installed"
    tmux -L "$tmux_socket" new-session -d -x 100 -y 40 \
        "env ZAN_ROOT='$ZAN_ROOT' PS1='$ ' bash --norc --noprofile"
}
type() { tmux -L "$tmux_socket" send-keys "$@"; }
screen() { tmux -L "$tmux_socket" capture-pane -p; }
# Waits up to 30 s (a loaded machine, a sanitizer build) for the screen to
# show the extended regular expression $1.
await() {
    local i
    for (( i = 0; i < 300; i++ )); do
        screen | grep -Eq -- "$1" && return 0
        sleep 0.1
    done
    echo "screen never showed: $1"; screen
    return 1
}
# Line $1 (from 1) of the screen.
screen_line() { screen | sed -n "$1p"; }

@test "on the screen: -ShowProg at 37 percent shows 37 at column 42 and 18 stars" {
    tasks_machine check 37 not-needed
    terminal
    type "clear; '$zancli' -LDCC -ShowProg -L1 -a0; echo done" Enter
    await '^done$'
    bar_line=$(screen_line 4)
    [ "${bar_line:42:2}" = "37" ]
    [ "${bar_line:19:18}" = "******************" ]
    [ "${bar_line:37:5}" = "-----" ]
    [ "$(screen_line 5)" = "done" ]
}

@test "on the screen: the live display follows the task until a key ends it" {
    tasks_machine check 37 not-needed
    terminal
    type "clear; '$zancli' -LDCC -ProgDsply -Lall -a0; echo status=\$?" Enter
    await 'Press any key to quit'
    [ "$(screen_line 4 | cut -c20-69)" = "******************-----37 %-----------------------" ]
    tasks_machine check 60 not-needed
    await '60 %'
    [ "$(screen_line 4 | cut -c20-69)" = "***********************60 %***--------------------" ]
    tasks_machine none 60 not-needed
    await 'Press a key to continue'
    [ "$(screen_line 4 | cut -c20-69)" = "***********************100%***********************" ]
    # Still waiting for a key.
    sleep 1.5
    ! screen | grep -q status=
    type q
    await 'status=0'
    # The key that ended the display stays in the input: the shell got it.
    type Enter
    await 'command not found|q: not found'
}

@test "on the screen: the live display of a rebuild follows the simulated clock" {
    demo
    simulated_clock
    "$zansim" fail 2 3
    terminal
    type "clear; '$zancli' -PDRbld -ProgDsply -PhysDrv[0:0,0:5] -a0; echo status=\$?" Enter
    await 'Press any key to quit'
    [ "$(screen_line 1)" = "Adapter 0-PD 0 is not in rebuild process." ]
    [ "$(screen_line 2)" = "Rebuild progress of physical drives..." ]
    [ "$(screen_line 5 | cut -c1-69)" = "$(bar 0 5 0 | tr -d '\r')" ]
    [ "$(screen_line 6)" = "   Press any key to quit..." ]
    "$zansim" clock advance 40 >/dev/null
    await '40 %'
    [ "$(screen_line 5 | cut -c1-69)" = "$(bar 0 5 40 | tr -d '\r')" ]
    "$zansim" clock advance 70 >/dev/null
    await 'Press a key to continue'
    [ "$(screen_line 5 | cut -c20-69)" = "***********************100%***********************" ]
    type Space
    await 'status=0'
}
