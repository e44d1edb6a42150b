#!/usr/bin/env bats
# zanutil.exe, the dialog program itself, under Wine and Xvfb against the
# simulated demo machine: driven with xdotool as a person would, every change
# checked in the simulator's state and against zancli doing the same, with a
# screenshot of each page and dialog kept as an artefact (ZAN_GUI_SHOTS,
# default: gui-shots beside the Windows bin folder). Run by tools/e2e.sh
# --windows, which provides the prefix, the link's server and ZAN_BIN.
#
# Clicks are placed by the dialog templates: at Wine's English dialog font a
# dialog unit is 7/4 pixel both ways; the Japanese font is lower, and places
# scale by the main window's height.

setup_file() {
    [ -n "${ZAN_WINDOWS_BIN:-}" ] || skip "runs through tools/e2e.sh --windows"
    command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v import >/dev/null ||
        skip "needs Xvfb, xdotool and imagemagick (tools/deps.sh)"
    Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 3>&- 5>"$BATS_FILE_TMPDIR/display" &
    echo $! >"$BATS_FILE_TMPDIR/xvfb.pid"
    for _ in $(seq 100); do [ -s "$BATS_FILE_TMPDIR/display" ] && break; sleep 0.05; done
    # Wine draws the window frames itself: Xvfb has no window manager.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null
}

FONT_LINK='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'

teardown_file() {
    [ -f "$BATS_FILE_TMPDIR/xvfb.pid" ] && kill "$(cat "$BATS_FILE_TMPDIR/xvfb.pid")" 2>/dev/null
    true
}

setup() {
    [ -n "${ZAN_WINDOWS_BIN:-}" ] || skip "runs through tools/e2e.sh --windows"
    export DISPLAY=":$(cat "$BATS_FILE_TMPDIR/display")"
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create >/dev/null
    "$ZAN_BIN/zansim" clock set >/dev/null
    shots=${ZAN_GUI_SHOTS:-$ZAN_WINDOWS_BIN/../gui-shots}
    mkdir -p "$shots"
    util_pid=
    tab_x=(76 204 336 456 580 722)
}

teardown() {
    # The screen of a failed test, for its artefacts (none for a skipped one).
    [ -n "${BATS_TEST_COMPLETED:-}" ] || [ -z "${shots:-}" ] ||
        import -window root "$shots/failed-test$BATS_TEST_NUMBER.png" || true
    [ -n "$util_pid" ] && kill "$util_pid" 2>/dev/null
    "$WINE" reg delete "$FONT_LINK" /v Tahoma /f >/dev/null 2>&1
    true
}

# Starts zanutil and waits for its main window. The program runs under
# timeout, which ends the wrapper and the Wine process with it (its whole
# process group) when the test kills it or the time is up; it gets none of
# bats' descriptors, or bats would wait for it.
start_util() {
    timeout 180 "$ZAN_BIN/zanutil" >>"$BATS_TEST_TMPDIR/util.out" 2>&1 3>&- &
    util_pid=$!
    main=$(wait_window 'RAID Management Console') || fail "zanutil.exe showed no main window: $(cat "$BATS_TEST_TMPDIR/util.out")"
    settle
}

# Waits until the program is idle: the simulator answered no request and the
# screen did not change for 0.2 s (15 s at most). A page fills its lists
# through the link after a click; a click on a list before that ends is
# undone by the fill.
settle() {
    local last now
    last=$(idle_mark)
    for _ in $(seq 75); do
        sleep 0.2
        now=$(idle_mark)
        [ "$now" = "$last" ] && return 0
        last=$now
    done
    echo "the program did not become idle in 15 s" >&2
    return 1
}

# What changes while the program works: the simulator's request count and
# the screen.
idle_mark() {
    echo "$("$ZAN_BIN/zansim" show | grep 'Requests answered') $(import -window root rgb:- | md5sum)"
}

# The visible window titled $1 that is not $2, once it shows ($3 s, default
# 60 s, at most).
wait_window() {
    local id
    for _ in $(seq $((${3:-60} * 5))); do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            [ "$id" != "${2:-}" ] && { echo "$id"; return 0; }
        done
        sleep 0.2
    done
    echo "no window \"$1\" showed in ${3:-60} s" >&2
    return 1
}

# Waits (10 s at most) until the main window is the only one on the screen:
# Wine takes an ended dialog off the screen some time after it closed, and
# a click meant for the main window would land on it and be lost.
alone() {
    local shown
    for _ in $(seq 50); do
        shown=$(xdotool search --onlyvisible --name . 2>/dev/null)
        [ "$shown" = "$main" ] && return 0
        sleep 0.2
    done
    echo "still on the screen over the main window: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null)" >&2
    return 1
}

# Clicks at $2,$3 pixels in window $1; further arguments go to xdotool click.
click_in() {
    local window=$1 x=$2 y=$3 X Y WIDTH HEIGHT SCREEN
    shift 3
    # Without a window manager the first click on a window that is not
    # active may only activate it: the window gets the input focus first.
    timeout 5 xdotool windowfocus --sync "$window"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + x)) $((Y + y)) click "${@:-1}"
    settle
}

# A point of the main window given in English pixels; the height scales
# with the dialog font.
at() {
    local HEIGHT X Y WIDTH SCREEN WINDOW
    alone
    eval "$(xdotool getwindowgeometry --shell "$main")"
    click_in "$main" "$1" $(($2 * (HEIGHT - 25) / 525)) "${@:3}"
}

# A point of the current page in dialog units.
page_at() { at $((17 + $1 * 7 / 4)) $((55 + $2 * 7 / 4)) "${@:3}"; }

# Row $2 of a list whose first row is at $1 pixels down the main window.
row_at() { at "${3:-150}" $(($1 + 15 * $2)) "${@:4}"; }

# Page $1 by a click on its tab, at the tab's middle in the language's
# font (tab_x: English unless the test says otherwise).
tab() { at "${tab_x[$1]}" 41; }

# A button of the main window at $1,$2 dialog units of the page that opens
# the dialog titled $3; prints the dialog's window.
open_from_page() {
    page_at "$1" "$2"
    wait_window "$3" "$main"
}

# Window $1 cut from the screen into the artefact $2.png.
shot() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    settle
    eval "$(xdotool getwindowgeometry --shell "$1")"
    import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$shots/$2.png"
}

# Key $2 to window $1, then waits until the window is gone and the program
# is idle again.
press() {
    timeout 5 xdotool windowfocus --sync "$1"
    xdotool key "$2"
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1" || { settle; return; }
        sleep 0.1
    done
    echo "window $1 did not close on key $2" >&2
    return 1
}

# Types a letter at the end of the path box of adapter dialog $1 without
# waiting for the program to be idle, and waits (5 s at most) until the box
# on the screen changes.
path_box_typed() {
    local X Y WIDTH HEIGHT SCREEN WINDOW before
    eval "$(xdotool getwindowgeometry --shell "$1")"
    local crop="367x22+$((X + 25))+$((Y + 366))"
    before=$(import -window root -crop "$crop" rgb:- | md5sum)
    xdotool mousemove $((X + 4 + 117 * 7 / 4)) $((Y + 23 + 202 * 7 / 4)) click 1 key End type x
    for _ in $(seq 25); do
        [ "$(import -window root -crop "$crop" rgb:- | md5sum)" != "$before" ] && return 0
        sleep 0.2
    done
    return 1
}

# Answers the message box titled $1 with key $2 (Return: OK), after its
# screenshot $3 when given.
answer() {
    local box
    box=$(wait_window "$1" "$main")
    [ -n "$box" ]
    [ -z "${3:-}" ] || shot "$box" "$3"
    press "$box" "$2"
}

# Runs the command until it succeeds, for 10 s at most.
eventually() { eventually_for 10 "$@"; }

# Runs the command until it succeeds, for $1 s at most.
eventually_for() {
    local seconds=$1
    shift
    for _ in $(seq $((seconds * 5))); do
        "$@" && return 0
        sleep 0.2
    done
    "$@"
}

# Ends the test with message $1 and the adapter's state.
fail() {
    echo "$1" >&2
    adapter_state >&2
    return 1
}

# A checksum of how row $2 of the list whose first row is at $1 (column at
# $3) looks on the screen.
row_look() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$main")"
    import -window root -crop "160x8+$((X + $3 - 40))+$((Y + ($1 + 15 * $2) * (HEIGHT - 25) / 525 - 4))" rgb:- | md5sum
}

# Clicks row $2 of the list at $1 (column at $3) and checks that the row
# shows its new mark within 5 s and keeps it once the program is idle (a
# page fill that ended after the click would undo it).
mark_row() {
    local before
    before=$(row_look "$@")
    row_at "$1" "$2" "$3"
    eventually_for 5 row_differs "$before" "$@" && settle && row_differs "$before" "$@" ||
        fail "row $2 of the list at $1 shows no mark"
}

# Whether the row ($2-$4 as for row_look) looks other than $1.
row_differs() { [ "$(row_look "${@:2}")" != "$1" ]; }

# Whether the adapter's state has a line matching $1.
adapter_has() { adapter_state | grep -q "$1"; }

# The simulator's view of the adapter on port 2, without the counters and
# the clock.
adapter_state() {
    "$ZAN_BIN/zansim" show | sed -n '/^Adapter on port 2/,/^$/p' | grep -v -e 'Requests answered'
}

@test "English: six pages and the dialogs; delete, create, spares, check and firmware change the adapter as zancli does" {
    start_util
    shot "$main" en-page0-view
    row_at 163 0 150 --repeat 2 --delay 100 1         # LD0: its information dialog
    box=$(wait_window 'Logical Drive Information' "$main")
    shot "$box" en-dialog-ld-info
    press "$box" Escape

    # Delete LD0: the three questions of logical drive 0.
    tab 2
    row_at 105 0
    shot "$main" en-page2-delete
    page_at 418 228
    answer 'Delete Logical Drive' Return en-box-delete
    answer 'Delete Logical Drive' Return
    answer 'Delete Logical Drive' Return
    eventually adapter_has '^  0     good        Fresh ' || fail "LD0 was not deleted"

    # RAID 5 from the three free drives of the same size, HDD0, HDD1, HDD6.
    tab 1
    mark_row 105 0 411
    mark_row 105 1 411
    mark_row 105 6 411
    page_at 50 55
    xdotool key Down Return
    shot "$main" en-page1-create
    page_at 360 233
    setup=$(wait_window 'Logical Drive Setup Information' "$main")
    shot "$setup" en-dialog-setup
    timeout 5 xdotool windowfocus --sync "$setup"
    xdotool key Return
    answer 'Create Logical Drive' Return en-box-creating
    eventually adapter_has '^  0         RAID5  good         280028  128k   0 1 6 ' || fail "the RAID 5 was not created"

    # HDD7 becomes a global spare (the controller has one: one more is
    # allowed), and HDD5 is released after the question about LD1, which
    # relies on the global spares.
    tab 3
    mark_row 105 7 411
    mark_row 105 5 411
    shot "$main" en-page3-spares
    box=$(open_from_page 360 233 'Setup Global HS')
    shot "$box" en-box-release
    press "$box" Return
    eventually adapter_has '^  7     good        Spare No Use ' || fail "HDD7 did not become a spare"
    eventually adapter_has '^  5     good        Fresh ' || fail "HDD5 was not released"

    # A consistency check of the new LD0; the stopped clock holds it at 0%.
    tab 5
    row_at 105 0
    page_at 127 233
    shot "$main" en-page5-maintain
    eventually adapter_has '^  0         RAID5  good         280028  128k   0 1 6              -          check       0% ' ||
        fail "the consistency check did not start"
    tab 4
    shot "$main" en-page4-restore

    # The drive information of HDD7 by a double click on "View Configuration".
    tab 0
    row_at 334 7 150 --repeat 2 --delay 100 1
    box=$(wait_window 'Physical Drive Information' "$main")
    shot "$box" en-dialog-hdd-info
    press "$box" Escape

    # The same operations through zancli on a second demo machine leave the
    # adapter in the same state.
    gui_state=$(adapter_state)
    gui_ld=$(ZAN_ROOT="$ZAN_ROOT" "$ZAN_BIN/zancli" -LDInfo -L0 -a0)
    export ZAN_ROOT="$BATS_TEST_TMPDIR/cli-root"
    "$ZAN_BIN/zansim" create >/dev/null
    "$ZAN_BIN/zansim" clock set >/dev/null
    echo y | "$ZAN_BIN/zancli" -CfgLDDel -L0 -a0 >/dev/null
    echo y | "$ZAN_BIN/zancli" -CfgLDAdd '-R5[0:0,0:1,0:6]' -WT -RA -a0 >/dev/null
    echo y | "$ZAN_BIN/zancli" -PDHSP -Set '-PhysDrv[0:7]' -a0 >/dev/null
    echo y | "$ZAN_BIN/zancli" -PDHSP -Rmv '-PhysDrv[0:5]' -a0 >/dev/null
    echo y | "$ZAN_BIN/zancli" -LDCC -Start -L0 -a0 >/dev/null
    [ "$(adapter_state)" = "$gui_state" ] || fail "zancli's adapter differs from the utility's:
$gui_state"
    [ "$("$ZAN_BIN/zancli" -LDInfo -L0 -a0)" = "$gui_ld" ] || fail "zancli's LD0 differs from the utility's: $gui_ld"
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"

    # Firmware 1.30 from the adapter dialog, the image chosen with the
    # file-open dialog, with the progress bar, into the bank that starts next.
    # 2 MiB: the download lasts some seconds through the link.
    "$ZAN_BIN/zansim" image write "$BATS_TEST_TMPDIR/new.img" --revision 1.30 --length 2097152 >/dev/null
    adapter=$(open_from_page 397 19 'adapter Information')
    click_in "$adapter" $((4 + 237 * 7 / 4)) $((23 + 202 * 7 / 4))
    picker=$(wait_window 'Select the update file' "$main") || fail "the file-open dialog did not open"
    shot "$picker" en-dialog-browse
    timeout 5 xdotool windowfocus --sync "$picker"
    xdotool type --delay 10 "$("$WINE" winepath -w "$BATS_TEST_TMPDIR/new.img" | tr -d '\r')"
    press "$picker" Return
    # The update button opens the update information of the path box's file.
    click_in "$adapter" $((4 + 269 * 7 / 4)) $((23 + 202 * 7 / 4))
    info=$(wait_window 'Update Information' "$main") || fail "the path box holds no image path"
    shot "$info" en-dialog-update-info
    timeout 5 xdotool windowfocus --sync "$info"
    xdotool key Return
    # The download runs in a worker thread: while the adapter is still being
    # written, the dialog takes typing into its path box (the one control
    # left enabled) and shows it.
    path_box_typed "$adapter" || fail "the dialog did not take typing during the update"
    adapter_has 'bank 2 1.30 good' && fail "the update ended before the typing showed: no proof of a worker"
    xdotool key BackSpace
    answer 'Update Information' Return en-box-update-done
    shot "$adapter" en-dialog-adapter
    adapter_has 'bank 2 1.30 good, starts from bank 2' || fail "the firmware was not written"
    press "$adapter" Escape

    # CLOSE ends the program with 1.
    at 780 521
    status=0
    wait "$util_pid" || status=$?
    util_pid=
    [ "$status" -eq 1 ]
}

@test "a second instance shows that the console is already running and ends with 0" {
    start_util
    timeout 60 "$ZAN_BIN/zanutil" >>"$BATS_TEST_TMPDIR/util.out" 2>&1 3>&- &
    second=$!
    answer 'RAID Management Console' Return en-box-already-running
    status=0
    wait "$second" || status=$?
    [ "$status" -eq 0 ]
    xdotool search --onlyvisible --name '^RAID Management Console$' | grep -qx "$main"
}

@test "Locale 1: Japanese pages, dialogs and messages" {
    # The root's registry goes into the prefix with a first program; the
    # utility's start then finds it loaded and reads "Locale" from it.
    "$ZAN_BIN/zancli" -v >/dev/null
    "$WINE" reg add 'HKLM\SOFTWARE\Meridan\zanutility' /v Locale /t REG_DWORD /d 1 /f >/dev/null
    # Tahoma borrows the Japanese glyphs of the IPA font (not for the English
    # tests: the link changes the dialog font's size, and so the clicks).
    "$WINE" reg add "$FONT_LINK" /v Tahoma /t REG_MULTI_SZ /d 'ipagp.ttf,IPAPGothic' /f >/dev/null
    tab_x=(49 142 252 368 484 596)
    start_util
    for page in 0 1 2 3 4 5; do
        tab "$page"
        shot "$main" "ja-page$page"
    done
    tab 0
    adapter=$(open_from_page 397 19 'アダプタ情報')
    shot "$adapter" ja-dialog-adapter
    press "$adapter" Escape
    row_at 334 7 150 --repeat 2 --delay 100 1
    box=$(wait_window '物理ドライブ情報' "$main")
    shot "$box" ja-dialog-hdd-info
    press "$box" Escape
    timeout 60 "$ZAN_BIN/zanutil" >>"$BATS_TEST_TMPDIR/util.out" 2>&1 3>&- &
    second=$!
    answer 'RAID Management Console' Return ja-box-already-running
    wait "$second"
}
