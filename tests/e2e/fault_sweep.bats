#!/usr/bin/env bats
# A fault at every request of a destructive command, one run per request and
# kind of fault: the command either completes on the adapter it named and
# showed, or reports the failure; it never crashes and never touches the
# other adapter. On the demo machine adapter 0 is port 2 (firmware 1.10,
# logical drives 0 and 1), adapter 1 is port 3 (firmware 1.12, logical
# drives 0 and 1).

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    cli="$ZAN_BIN/zancli"
    zansim="$ZAN_BIN/zansim"
    cd "$BATS_TEST_TMPDIR"
}

# The adapter section of PORT in `zansim show`.
section() {
    "$zansim" show | awk -v head="Adapter on port $1:" 'index($0, head) == 1 {p = 1; next} /^Adapter on port/ {p = 0} p'
}

# The logical drive numbers of the adapter on PORT.
logicals() {
    section "$1" | awk '/^  Logical/ {p = 1; next} p && /^  [0-9]/ {printf "%s ", $1}'
}

# The flash banks line of the adapter on PORT.
banks() {
    section "$1" | grep '^  Flash ROM'
}

# Runs COMMAND... (its standard input: INPUT) once per request it makes on
# port 2 and once more, with each fault kind armed at that request, and calls
# CHECK after each run with the run's status and output in place.
sweep() {
    local input=$1 check=$2
    shift 2
    # A copy of one freshly created root is a fresh machine, made faster.
    ZAN_ROOT="$BATS_TEST_TMPDIR/clean" "$zansim" create >/dev/null
    fresh() { rm -rf "$ZAN_ROOT" && cp -a "$BATS_TEST_TMPDIR/clean" "$ZAN_ROOT"; }
    fresh
    "$cli" "$@" <<<"$input" >/dev/null
    local requests
    requests=$("$zansim" requests 2)
    local kind n
    for kind in "status 0x8005" "silent" "busy 351"; do
        for ((n = 1; n <= requests + 1; n++)); do
            # Busy runs take 350 pauses each: discovery and the first request after
            # it are enough.
            if [[ $kind == busy* ]] && ((n > 2)); then continue; fi
            fresh
            "$zansim" fault at 2 "$n" $kind
            run "$cli" "$@" <<<"$input"
            echo "fault: $kind at request $n of $requests, status $status" >&2
            # -1 ends the tool as 255; a signal would end it above 128.
            [ "$status" -le 128 ] || [ "$status" -eq 255 ]
            "$check"
        done
    done
}

@test "a fault at any request of a logical-drive deletion: deleted as reported, or reported as failed" {
    check_delete() {
        # An adapter that fails its discovery probe for any reason but busy is
        # passed over, so adapter 0 is then the one on port 3.
        local named=2 other=3
        if ((n == 1)) && [[ $kind != busy* ]]; then named=3 other=2; fi
        [ "$(logicals $other)" = "0 1 " ]
        # A refused request is reported by its message (the tool still ends
        # with 0 after a failed library call).
        if [[ $output == *Deleted* ]]; then
            [ "$status" -eq 0 ]
            [ "$output" = "Adapter 0: Deleted Virtual drv-0." ]
            [ "$(logicals $named)" = "1 " ]
        else
            [[ $output == *"Please ascertain the situation."* || $output == "Fatal error - "* ]]
        fi
    }
    sweep "" check_delete -CfgLDDel -L0 -a0 -nochk
}

@test "a fault at any request of a firmware update: the adapter whose revision was shown gets the image, or none does" {
    "$zansim" image write image.img --revision 1.30 --length 5000 >/dev/null
    check_flash() {
        local shown named other
        shown=$(sed -n 's/^\tROM General Revision : //p' <<<"$output")
        case $shown in
            1.10) named=2 other=3 ;;
            1.12) named=3 other=2 ;;
            "") named="" other="2 3" ;;   # stopped before it showed an adapter
            *) false ;;
        esac
        local port
        for port in $other; do [[ $(banks $port) != *1.30* ]]; done
        if [[ $output == *"Firmware Update Completed."* ]]; then
            [ "$status" -eq 0 ]
            [[ $(banks $named) == *1.30* ]]
        else
            [ "$status" -ne 0 ]
        fi
    }
    sweep y check_flash -AdpFwFlash -fimage.img -NoVerChk -a0
}
