#!/usr/bin/env bats
# zancli's adapter commands: the adapter report, automatic rebuild, the
# patrol-read delay and the prevent limits, on fresh simulated machines.

load machine

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
    zancli="$ZAN_BIN/zancli"
}

report_line() { # adapter, line number
    "$zancli" -AdpAllInfo "-a$1" | sed -n "$2p"
}

@test "-AdpAllInfo -aALL prints the 45-line report of both adapters" {
    diff -u "$ZAN_SOURCE/tests/expected/zancli-adpallinfo-demo.txt" <("$zancli" -AdpAllInfo -aALL)
    run "$zancli" -AdpAllInfo -aALL
    [ "$status" -eq 0 ]
    [ "${#lines[@]}" -eq 80 ] # without the empty lines

    # One adapter alone, any spelling of the command and the option.
    diff <(sed -n 47,92p "$ZAN_SOURCE/tests/expected/zancli-adpallinfo-demo.txt") <("$zancli" adpallinfo -A1)
}

@test "-AdpAllInfo names the command argument for every option fault" {
    for options in "" "-a0 -a1" "-x -a0" "-a0 -x" "-a0 -nochk" "-a0,0" "-aALL,1" "-L0 -a0"; do
        run "$zancli" -AdpAllInfo $options
        [ "$status" -eq 0 ]
        [ "$output" = "Invalid input at or near token -AdpAllInfo." ]
    done
    run "$zancli" -AdpAllInfo -a3
    [ "$status" -eq 255 ]
    [ "$output" = "Fatal error - The specified Adapter: 3 doesn't exist." ]
}

@test "-AdpAllInfo shows the flash bank states and stops at an abnormal one" {
    machine <<'SCENARIO'
[adapter 2]
flash_state = 0x00
[adapter 3]
flash_state = 0x12
SCENARIO
    run "$zancli" -AdpAllInfo -aALL
    [ "$status" -eq 0 ]
    # The first adapter's report, then the message for the second.
    [ "${#lines[@]}" -eq 41 ]
    [ "${lines[36]}" = "Flash ROM Start BANK        : #- (#1:Check Sum NG #2:Check Sum NG)" ]
    [ "${lines[40]}" = "Fatal error - Adapter 1: DLL information is abnormal." ]
    [ "$(grep -c '^Adapter #' <<<"$output")" -eq 1 ]
}

@test "-AdpPRSetDelay asks, sets the delay and reports it in weeks" {
    run "$zancli" -AdpPRSetDelay -Low -a0 <<<"y"
    [ "$status" -eq 0 ]
    [ "$output" = "Is it executed?(Y/N)?
Adapter 0: Patrol Read Execution Delay is 8 week." ]
    [ "$(report_line 0 45)" = "Patrol Read Execution Delay : 8 week." ]

    run "$zancli" -AdpPRSetDelay -aALL -nochk -HIGH
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter 0: Patrol Read Execution Delay is 2 week.
Adapter 1: Patrol Read Execution Delay is 2 week." ]
    [ "$(report_line 1 45)" = "Patrol Read Execution Delay : 2 week." ]
    # The other settings of the adapter stay as they were.
    [ "$(report_line 1 43)" = "Rebuild Priority (IDLE)     : Middle" ]
    [ "$(report_line 1 44)" = "Rebuild Priority (BUSY)     : Low" ]
}

@test "the prompt: no, junk answers and the end of input" {
    run "$zancli" -AdpPRSetDelay -Middle -a1 <<<"n"
    [ "$status" -eq 0 ]
    [ "$output" = "Is it executed?(Y/N)?" ]

    run "$zancli" -AdpPRSetDelay -Middle -a1 < <(printf 'yes\n\nY \nN\n')
    [ "$status" -eq 0 ]
    [ "$(grep -c '^Is it executed?(Y/N)?$' <<<"$output")" -eq 4 ]
    [ "${#lines[@]}" -eq 4 ]

    run "$zancli" -AdpPRSetDelay -Middle -a1 </dev/null
    [ "$status" -eq 0 ]
    [ "$output" = "Is it executed?(Y/N)?" ]
    [ "$(report_line 1 45)" = "Patrol Read Execution Delay : 8 week." ]

    run "$zancli" -AdpPRSetDelay -Middle -a1 < <(printf 'x\nY\r\n')
    [ "$output" = "Is it executed?(Y/N)?
Is it executed?(Y/N)?
Adapter 1: Patrol Read Execution Delay is 4 week." ]
}

@test "-AdpPRSetDelay option faults name the preceding argument" {
    run "$zancli" -AdpPRSetDelay -High -Low -a0
    [ "$output" = "Invalid input at or near token -High." ]
    run "$zancli" -AdpPRSetDelay -a0
    [ "$output" = "Invalid input at or near token -a0." ]
    run "$zancli" -AdpPRSetDelay -Low -a0 -nochk -nochk
    [ "$output" = "Invalid input at or near token -nochk." ]
    run "$zancli" -AdpPRSetDelay -Slow -a0
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -AdpPRSetDelay." ]
}

@test "-AdpAutoRbld switches and shows the automatic rebuild" {
    # Even the display asks first.
    run "$zancli" -AdpAutoRbld -Dsply -Lall -a0 <<<"y"
    [ "$status" -eq 0 ]
    [ "$output" = "Is it executed?(Y/N)?
Adapter 0:
Virtual drv-0:
AutoRebuild is Enabled.

Adapter 0:
Virtual drv-1:
AutoRebuild is Enabled." ]

    run "$zancli" -AdpAutoRbld -Dsbl -L1 -a1 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Adapter 1:
Virtual drv-1:
AutoRebuild is Disabled." ]

    # Targets in ascending order whatever the order of the list.
    run "$zancli" -AdpAutoRbld -nochk -dsply -L1,0 -aALL
    [ "$(grep '^AutoRebuild' <<<"$output" | tr '\n' ' ')" = \
      "AutoRebuild is Enabled. AutoRebuild is Enabled. AutoRebuild is Enabled. AutoRebuild is Disabled. " ]
    [ "$(grep '^Virtual' <<<"$output" | tr '\n' ' ')" = "Virtual drv-0: Virtual drv-1: Virtual drv-0: Virtual drv-1: " ]

    run "$zancli" -AdpAutoRbld -Enbl -L1 -a1 -nochk
    [ "${lines[2]}" = "AutoRebuild is Enabled." ]
    run "$zancli" -AdpAutoRbld -Dsply -L1 -a1 -nochk
    [ "${lines[2]}" = "AutoRebuild is Enabled." ]
}

@test "-AdpAutoRbld option faults and missing logical drives" {
    run "$zancli" -AdpAutoRbld -Enbl -Dsbl -L0 -a0
    [ "$output" = "Invalid input at or near token -Enbl." ]
    run "$zancli" -AdpAutoRbld -Enbl -a0
    [ "$output" = "Invalid input at or near token -a0." ]
    run "$zancli" -AdpAutoRbld -Enbl -L8 -a0
    [ "$output" = "Invalid input at or near token -Enbl." ]

    # A named logical drive that does not exist ends the process after the prompt.
    run "$zancli" -AdpAutoRbld -Enbl -L0,3 -a0 <<<"y"
    [ "$status" -eq 255 ]
    [ "$output" = "Is it executed?(Y/N)?
Fatal error - Adapter 0-The specified Virtual Drives: 3 doesn't exist." ]
    run "$zancli" -AdpAutoRbld -Dsply -L0 -a0 -nochk
    [ "${lines[2]}" = "AutoRebuild is Enabled." ]

    machine <<'SCENARIO'
[adapter 2]
[drive 0]
SCENARIO
    run "$zancli" -AdpAutoRbld -Dsbl -Lall -a0 -nochk
    [ "$status" -eq 0 ]
    [ "$output" = "Fatal error - Adapter 0: There is no Virtual Drive." ]
}

@test "glprevlimitset sets the given counts and glprevlimitinfo shows them" {
    run "$zancli" -glprevlimitset -pl10 -OY20 -a0 <<<"y"
    [ "$status" -eq 0 ]
    [ "$output" = "Is it executed?(Y/N)?
Adapter 0: PreventLimit is 10.
Adapter 0: PreventLimit OneYear is 20." ]
    before="$("$zancli" -glprevlimitinfo -a1)"

    run "$zancli" -glprevlimitset -hy7 -a0,1 -nochk
    [ "$output" = "Adapter 0: PreventLimit HalfYear is 7.
Adapter 1: PreventLimit HalfYear is 7." ]

    run "$zancli" -GLPREVLIMITINFO -a0
    [ "$status" -eq 0 ]
    [ "${lines[0]}" = "Adapter #0" ]
    [ "${lines[1]}" = "PreventLimit: 10" ]
    [ "${lines[3]}" = "PreventLimit HalfYear: 7" ]
    [ "${lines[4]}" = "PreventLimit OneYear: 20" ]
    [ "$("$zancli" -glprevlimitinfo -a1)" = "$(sed 's/^PreventLimit HalfYear: .*/PreventLimit HalfYear: 7/' <<<"$before")" ]

    # A keyword without digits sets 0; "all" sets every count.
    run "$zancli" -glprevlimitset -om -a0 -nochk
    [ "$output" = "Adapter 0: PreventLimit OneMonth is 0." ]
    run "$zancli" -glprevlimitset -all65535 -a1 -nochk
    [ "${#lines[@]}" -eq 4 ]
    [ "${lines[3]}" = "Adapter 1: PreventLimit OneYear is 65535." ]
    run "$zancli" -glprevlimitinfo -aALL
    [ "$output" = "Adapter #0

PreventLimit: 10
PreventLimit OneMonth: 0
PreventLimit HalfYear: 7
PreventLimit OneYear: 20

Adapter #1

PreventLimit: 65535
PreventLimit OneMonth: 65535
PreventLimit HalfYear: 65535
PreventLimit OneYear: 65535" ]

    # Answered no, nothing changes.
    run "$zancli" -glprevlimitset -pl1 -a0 <<<"n"
    [ "$output" = "Is it executed?(Y/N)?" ]
    [ "$("$zancli" -glprevlimitinfo -a0 | sed -n 3p)" = "PreventLimit: 10" ]
}

@test "glprevlimitset refuses bad values and combinations" {
    before="$("$zancli" -glprevlimitinfo -aALL)"
    run "$zancli" -glprevlimitset -all5 -pl3 -a0
    [ "$output" = "Invalid input at or near token -all5." ]
    run "$zancli" -glprevlimitset -pl3 -all5 -a0
    [ "$output" = "Invalid input at or near token -pl3." ]
    run "$zancli" -glprevlimitset -pl1x -a0
    [ "$output" = "Invalid input at or near token -glprevlimitset." ]
    run "$zancli" -glprevlimitset -a0 -pl65536
    [ "$output" = "Invalid input at or near token -a0." ]
    run "$zancli" -glprevlimitset -pl3 -pl4 -a0
    [ "$output" = "Invalid input at or near token -pl3." ]
    run "$zancli" -glprevlimitset -a0 -nochk
    [ "$output" = "Invalid input at or near token -nochk." ]
    run "$zancli" -glprevlimitset -pl3 -nochk
    [ "$output" = "Invalid input at or near token -nochk." ]
    [ "$status" -eq 0 ]
    [ "$("$zancli" -glprevlimitinfo -aALL)" = "$before" ]
}

@test "glprevlimitinfo names the first option argument" {
    run "$zancli" -glprevlimitinfo -x -a0
    [ "$output" = "Invalid input at or near token -x." ]
    run "$zancli" -glprevlimitinfo -a0 -a1 -a2
    [ "$output" = "Invalid input at or near token -a0." ]
    run "$zancli" -glprevlimitinfo
    [ "$status" -eq 0 ]
    [ "$output" = "Invalid input at or near token -glprevlimitinfo." ]
}
