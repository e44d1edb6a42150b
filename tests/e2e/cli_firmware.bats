#!/usr/bin/env bats
# zancli's firmware update against simulated machines: the image checks, the
# revision check, the question, the transfer and the exit statuses (Windows
# error codes, seen here modulo 256 as the hosted build's exit status).
#
# The demo machine: adapter 0 (port 2) runs revision 1.10, adapter 1
# (port 3) revision 1.12.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
    cli="$ZAN_BIN/zancli"
    cd "$BATS_TEST_TMPDIR"
    tmux_socket="zan-firmware-$$-$BATS_TEST_NUMBER"
}

teardown() {
    if command -v tmux >/dev/null; then tmux -L "$tmux_socket" kill-server 2>/dev/null || true; fi
}

image() {
    "$ZAN_BIN/zansim" image write "$@" >/dev/null
}

revisions() {
    "$cli" -AdpAllInfo -aALL | grep "^General Revision"
}

# Windows error codes as the hosted exit status shows them.
status_of() {
    echo $(( $1 & 255 ))
}

@test "both demo adapters take the image after a yes each, and run it after a restart" {
    image image.img --revision 1.30 --date 2009/04/24 --author "Meridan"
    run "$cli" -AdpFwFlash -fimage.img -a0,1 <<< $'y\ny\n'
    [ "$status" -eq 0 ]
    block() {
        printf '\nUpdate File Information\n\tROM General Revision : %s\n\tUpdate file          : %s\n' "$1" "$PWD/image.img"
        printf '\tUpdate adapter       : %d\n\tGeneral Revision     : 1.30\n\tDate of making       : 2009/4/24\n' "$2"
        printf '\tAuthor               : Meridan\n\tImage size           : %xH\n\n' "$3"
    }
    length=$(( $(stat -c %s image.img) - 256 ))
    expected="$(block 1.10 0 $length)"$'\n\n'"	Is the update executed?(Y/N)?
Firmware Update progress of...

 Adapter #                     Percent Complete
         0         ***********************100%***********************"$'\r'"

   Adapter 0: Firmware Update Completed.
$(block 1.12 1 $length)"$'\n\n'"	Is the update executed?(Y/N)?
Firmware Update progress of...

 Adapter #                     Percent Complete
         1         ***********************100%***********************"$'\r'"

   Adapter 1: Firmware Update Completed.
   When being reactivate next time, Firmware is renewed."
    [ "$output" = "$expected" ]

    [ "$(revisions)" = "General Revision      : 1.10
General Revision      : 1.12" ]
    "$ZAN_BIN/zansim" restart 2
    "$ZAN_BIN/zansim" restart 3
    [ "$(revisions)" = "General Revision      : 1.30
General Revision      : 1.30" ]
}

@test "-NoVerChk neither asks nor checks the revision" {
    image old.img --revision 1.05
    run "$cli" -AdpFwFlash -fold.img -NoVerChk -a1 < /dev/null
    [ "$status" -eq 0 ]
    [[ "$output" != *"Is the update executed"* ]]
    [[ "$output" == *"   Adapter 1: Firmware Update Completed."* ]]
}

@test "an older image is refused without -VerDown; equal revisions are allowed" {
    image old.img --revision 1.05
    run "$cli" -AdpFwFlash -fold.img -a0 <<< $'y\n'
    [ "$status" -eq "$(status_of 1306)" ]
    [ "$output" = "Fatal error - Adapter 0: The down of the version of Firmware has not been permitted." ]

    run "$cli" -AdpFwFlash -fold.img -VerDown -a0 <<< $'y\n'
    [ "$status" -eq 0 ]
    [[ "$output" == *"Is the update executed?(Y/N)?"* ]]

    image same.img --revision 1.12
    run "$cli" -AdpFwFlash -fsame.img -a1 <<< $'y\n'
    [ "$status" -eq 0 ]
    [[ "$output" == *"Firmware Update Completed."* ]]
}

@test "answering n ends with 1223 before anything is sent; other answers ask again" {
    image image.img --revision 1.30
    run "$cli" -AdpFwFlash -fimage.img -a0,1 <<< $'x\nn\n'
    [ "$status" -eq "$(status_of 1223)" ]
    [[ "$output" == *$'\tIs the update executed?(Y/N)?\tIs the update executed?(Y/N)?' ]]
    [[ "$output" != *"Firmware Update progress"* ]]
    "$ZAN_BIN/zansim" restart 2
    [ "$(revisions | head -1)" = "General Revision      : 1.10" ]
}

@test "an image goes in pieces of 4096 bytes, the remainder last" {
    # The same run with one more byte of image sends one more request.
    count() {
        image piece.img --revision 1.30 --length "$1"
        "$ZAN_BIN/zansim" create "$ZAN_SOURCE/sim/scenarios/demo" >/dev/null
        "$cli" -AdpFwFlash -fpiece.img -NoVerChk -a0 >/dev/null
        "$ZAN_BIN/zansim" requests 2
    }
    whole=$(count 8192)
    [ "$(count 8193)" -eq $(( whole + 1 )) ]
    [ "$(count 4097)" -eq "$whole" ]
    [ "$(count 4096)" -eq $(( whole - 1 )) ]
}

@test "broken files are refused with their messages and statuses" {
    run "$cli" -AdpFwFlash -fmissing.img -a0
    [ "$status" -eq "$(status_of 2)" ]
    [ "$output" = "Fatal error - $PWD/missing.img: file open failure." ]

    image magic.img --revision 1.30 --broken magic
    run "$cli" -AdpFwFlash -fmagic.img -a0
    [ "$status" -eq "$(status_of 11)" ]
    [ "$output" = "Fatal error - $PWD/magic.img: The specified file is not an image file." ]

    image length.img --revision 1.30 --broken length
    run "$cli" -AdpFwFlash -flength.img -a0
    [ "$status" -eq "$(status_of 13)" ]
    [ "$output" = "Fatal error - $PWD/length.img: file is broken." ]

    # 16 MiB of image cannot be addressed by the pieces' 24-bit offsets.
    { printf 'Brimstal1.30'; head -c 36 /dev/zero; printf '\001\000\000\000'; head -c 204 /dev/zero; } > big.img
    truncate -s $(( 256 + 16777216 )) big.img
    run "$cli" -AdpFwFlash -fbig.img -a0
    [ "$status" -eq "$(status_of 13)" ]
    [ "$output" = "Fatal error - $PWD/big.img: file is broken." ]

    # A pipe or a device is no image: refused before it is read, so a pipe
    # without a writer cannot hold the update (and its lock) for ever.
    mkfifo pipe.img
    run timeout 20 "$cli" -AdpFwFlash -fpipe.img -a0
    [ "$status" -eq "$(status_of 13)" ]
    [ "$output" = "Fatal error - $PWD/pipe.img: file is broken." ]
    run "$cli" -AdpFwFlash -f/dev/zero -a0
    [ "$status" -eq "$(status_of 13)" ]
    [ "$output" = "Fatal error - /dev/zero: file is broken." ]

    # A full path of 260 characters or more cannot be formed.
    long=$(head -c 250 /dev/zero | tr '\0' x)
    run "$cli" -AdpFwFlash "-f$long" -a0
    [ "$status" -eq "$(status_of 2)" ]
    [ "$output" = "Fatal error - $long: The specified file is not found." ]
}

@test "the image goes to the adapter whose revision was shown, however the ports are numbered" {
    image image.img --revision 1.30
    # Port 2 fails the library's discovery once: adapter 0 is the one on port 3.
    "$ZAN_BIN/zansim" fault status 2 8005 1
    run "$cli" -AdpFwFlash -fimage.img -NoVerChk -a0
    [ "$status" -eq 0 ]
    [[ "$output" == *"ROM General Revision : 1.12"* ]]
    [[ "$output" == *"   Adapter 0: Firmware Update Completed."* ]]
    [ "$("$ZAN_BIN/zansim" show | grep 'Flash ROM')" = "  Flash ROM: bank 1 1.10 good, bank 2 1.08 good, starts from bank 1
  Flash ROM: bank 1 1.30 good, bank 2 1.12 good, starts from bank 1" ]
}

@test "a piece the adapter keeps refusing ends with the I/O device message" {
    image refused.img --revision 1.30 --broken checksum
    run "$cli" -AdpFwFlash -frefused.img -NoVerChk -a0
    [ "$status" -eq "$(status_of 1117)" ]
    [[ "$output" == *"Fatal error - Adapter 0: It is abnormal in the I/O device." ]]
    [[ "$output" != *"Completed"* ]]
}

@test "the file name keeps its case; bad option sets name the command" {
    image Image.IMG --revision 1.30
    run "$cli" -AdpFwFlash -fImage.IMG -NoVerChk -a0
    [ "$status" -eq 0 ]
    [[ "$output" == *"Update file          : $PWD/Image.IMG"* ]]

    for args in "-fimage.img" "-a0" "-fimage.img -a0 -x" "-fimage.img -a0 -NoVerChk -NoVerChk" "-fa -fb -a0"; do
        run "$cli" -AdpFwFlash $args
        [ "$status" -eq 0 ]
        [ "$output" = "Invalid input at or near token -AdpFwFlash." ]
    done
}

@test "on the screen: the bar is drawn in place two lines above the cursor" {
    command -v tmux >/dev/null || skip "tmux is not installed"
    image image.img --revision 1.30 --length 4097
    tmux -L "$tmux_socket" new-session -d -x 100 -y 40 \
        "env ZAN_ROOT='$ZAN_ROOT' PS1='$ ' bash --norc --noprofile"
    tmux -L "$tmux_socket" send-keys "clear; cd '$PWD'; '$cli' -AdpFwFlash -fimage.img -NoVerChk -a0; echo done" Enter
    for (( i = 0; i < 150; i++ )); do
        tmux -L "$tmux_socket" capture-pane -p | grep -q '^done$' && break
        sleep 0.1
    done
    screen=$(tmux -L "$tmux_socket" capture-pane -p)
    bar=$(grep -n -- '^         0         ' <<< "$screen")
    [ "${bar#*:}" = "         0         ***********************100%***********************" ]
    row=${bar%%:*}
    [ "$(sed -n "$((row + 1))p" <<< "$screen")" = "" ]
    [ "$(sed -n "$((row + 2))p" <<< "$screen")" = "   Adapter 0: Firmware Update Completed." ]
}
