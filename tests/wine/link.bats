#!/usr/bin/env bats
# The simulator link under load and under bad input, from Windows programs
# under Wine: run by tools/e2e.sh --windows, which provides the server
# (ZAN_LINK_PORT) and the Windows programs in ZAN_BIN.

setup() {
    [ -n "${ZAN_LINK_PORT:-}" ] || skip "runs through tools/e2e.sh --windows"
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    "$ZAN_BIN/zansim" create >/dev/null
}

# Sends the bytes of printf format $1 on a connection of its own; the
# server must close it at once without answering.
refused() {
    exec 7<>"/dev/tcp/127.0.0.1/$ZAN_LINK_PORT"
    printf "$1" >&7
    answer=$(timeout 5 od -An -tx1 <&7)
    local status=$?
    exec 7<&-
    [ "$status" -eq 0 ] && [ -z "$answer" ]
}

@test "garbage, truncated and oversized frames end only their own connection" {
    refused '\xff\xff\xff\xff'                           # longer than any frame
    refused '\x00\x00\x00\x00'                           # empty
    refused '\x02\x00\x00\x00\x63\x01'                   # an unknown request
    refused '\x05\x00\x00\x00\x02\x01\x00\x00\x00'       # an open before the session
    refused '\x06\x00\x00\x00\x01\x09\x00\x00\x00\x2f'   # a root shorter than its length
    # A frame cut short by a client that goes away.
    exec 7<>"/dev/tcp/127.0.0.1/$ZAN_LINK_PORT"
    printf '\x40\x00\x00\x00\x01' >&7
    exec 7<&-
    run "$ZAN_BIN/zancli" -AdpCount
    [ "$output" = "Adapter Count: 2." ]
}

@test "two hundred requests at once from four Wine processes: busy answers, nothing lost" {
    before=$("$ZAN_BIN/zansim" requests 2)
    "$ZAN_BIN/zansim" hold 2 1 >"$BATS_TEST_TMPDIR/hold" &
    for _ in $(seq 50); do grep -q Holding "$BATS_TEST_TMPDIR/hold" && break; sleep 0.05; done
    for n in 1 2 3 4; do
        "$ZAN_BIN/linkload" '\\.\Scsi2:' 50 >"$BATS_TEST_TMPDIR/load$n" &
    done
    wait
    read -r answered busy failed < <(cat "$BATS_TEST_TMPDIR"/load? |
        awk '{ a += $2; b += $4; f += $6 } END { print a, b, f }')
    [ "$answered" -eq 200 ]
    [ "$failed" -eq 0 ]
    [ "$busy" -gt 0 ]
    # Every request the adapter took is counted once: the busy answers of
    # the held lock never reached it.
    [ "$(( $("$ZAN_BIN/zansim" requests 2) - before ))" -eq $(( answered - busy )) ]
}

@test "a server that goes away in mid-run leaves a device error, not a hang" {
    "$ZAN_BIN/zansim" serve >"$BATS_TEST_TMPDIR/serve" &
    server=$!
    for _ in $(seq 100); do
        port=$(sed -n 's/^Serving .* on 127\.0\.0\.1:\([0-9]*\)\.$/\1/p' "$BATS_TEST_TMPDIR/serve")
        [ -n "$port" ] && break
        sleep 0.05
    done
    # The wrapper loads the root's registry into the prefix first.
    "$ZAN_BIN/zancli" -AdpCount >/dev/null
    # Discovery is answered; the command's own request then meets busy
    # answers until the server is gone.
    "$ZAN_BIN/zansim" fault at 2 3 busy 1000000
    # Wine hands its programs the machine's environment from the registry,
    # which names the run's own server; cmd passes this server's port on.
    (cd "$ZAN_WINDOWS_BIN" &&
        timeout 60 "$WINE" cmd /c "set ZAN_LINK_PORT=$port&& zancli.exe -LDInfo -L0 -a0") >"$BATS_TEST_TMPDIR/out" 2>/dev/null &
    client=$!
    # Once the program is connected, its busy answers take 350 pauses of
    # 5 ms: half a second on, the server goes.
    for _ in $(seq 200); do pgrep -P "$server" >/dev/null && break; sleep 0.05; done
    sleep 0.5
    kill -KILL $(pgrep -P "$server") "$server"
    status=0
    wait "$client" || status=$?
    [ "$status" -ne 124 ]
    # The library's report of a failed Windows call: 0x45D, ERROR_IO_DEVICE.
    [ "$(tr -d '\r' <"$BATS_TEST_TMPDIR/out")" = "Fatal error - Internal error -0x30000000045d." ]
}
