#!/usr/bin/env bats
# zansim serve, the simulator link's server: its port, its stop by request or
# signal with connections open, and its command line. What it answers is
# tested through the Windows programs (tests/wine/link.bats) and the unit
# tests of the link's requests.

setup() {
    export ZAN_ROOT="$BATS_TEST_TMPDIR/root"
    zansim="$ZAN_BIN/zansim"
    "$zansim" create >/dev/null
}

# Starts a server on port $1 (0: one it picks); sets $server and $port.
start_server() {
    "$zansim" serve "$1" >"$BATS_TEST_TMPDIR/serve" 2>&1 &
    server=$!
    for _ in $(seq 100); do
        port=$(sed -n 's/^Serving .* on 127\.0\.0\.1:\([0-9]*\)\.$/\1/p' "$BATS_TEST_TMPDIR/serve")
        [ -n "$port" ] && return 0
        sleep 0.05
    done
    return 1
}

# Waits up to 5 s for the server to end; its exit status in $ended.
await_end() {
    for _ in $(seq 100); do
        kill -0 "$server" 2>/dev/null || break
        sleep 0.05
    done
    ended=0
    wait "$server" || ended=$?
}

@test "serve picks a port on 127.0.0.1, and serve stop ends it" {
    start_server 0
    [ "$(head -n 1 "$BATS_TEST_TMPDIR/serve")" = "Serving $ZAN_ROOT on 127.0.0.1:$port." ]
    run "$zansim" serve stop "$port"
    [ "$status" -eq 0 ]
    await_end
    [ "$ended" -eq 0 ]
    [ "$(tail -n 1 "$BATS_TEST_TMPDIR/serve")" = "Stopped serving on 127.0.0.1:$port." ]
    run "$zansim" serve stop "$port"
    [ "$status" -eq 1 ]
    [[ "$output" == "zansim: no server on 127.0.0.1:$port: "* ]]
}

@test "a signal stops the server and the connections it serves" {
    start_server 0
    exec 7<>"/dev/tcp/127.0.0.1/$port"
    printf '\x05\x00\x00\x00\x01\x00\x00\x00\x00' >&7   # a session on the server's root
    [ "$(timeout 5 head -c 9 <&7 | od -An -tx1 | tr -d ' \n')" = "050000000100000000" ]
    kill -TERM "$server"
    await_end
    [ "$ended" -eq 0 ]
    # The connection was closed with the server.
    [ -z "$(timeout 5 cat <&7)" ]
    exec 7<&-
}

@test "the port given, a port in use and a command line that does not fit" {
    start_server 0
    run "$zansim" serve "$port"
    [ "$status" -eq 1 ]
    [[ "$output" == "zansim: cannot listen on 127.0.0.1:$port: "* ]]
    "$zansim" serve stop "$port"
    await_end
    for arguments in "65536" "x" "stop" "stop 70000" "1 2"; do
        run "$zansim" serve $arguments
        [ "$status" -eq 2 ]
        [ "${lines[0]}" = "zansim: serve [PORT] | serve stop PORT, with a port up to 65535" ]
    done
}
