#!/bin/bash
# Times the suite's commands against /bin/true, paired round by round in one
# run on a scratch root, and prints each as a ratio; then the request costs
# of bench/request_bench.cpp, a 128-block stripe read through the data path
# (bench/data_bench.cpp) and through the pass-through library
# (bench/pth_read_bench.cpp), the service's poll cycle over four full event
# rings (bench/service_walk_bench.cpp), the CPU the waiting service uses, an
# 8 MiB firmware update, and the log tool collecting a 2 MiB RAID log.
#   bench/run.sh [BUILD_FOLDER] [ROUNDS]      (defaults: build, 20)
set -eu
bin="${1:-build}/bin"
rounds="${2:-20}"
ZAN_ROOT=$(mktemp -d /tmp/zan-bench-XXXXXX)
export ZAN_ROOT
trap 'rm -rf "$ZAN_ROOT"' EXIT
"$bin/zansim" create >/dev/null

# Runs "$@" and /bin/true alternately, ROUNDS times each, and prints the
# ratio of their total times.
paired() {
    label="$1"
    shift
    command_ns=0
    true_ns=0
    i=0
    while [ "$i" -lt "$rounds" ]; do
        # Microseconds, read without starting a program or a subshell.
        t0=${EPOCHREALTIME/[.,]/}; /bin/true; t1=${EPOCHREALTIME/[.,]/}
        "$@" >/dev/null 2>&1 </dev/null; t2=${EPOCHREALTIME/[.,]/}
        true_ns=$((true_ns + t1 - t0))
        command_ns=$((command_ns + t2 - t1))
        i=$((i + 1))
    done
    awk -v l="$label" -v c="$command_ns" -v t="$true_ns" -v n="$rounds" \
        'BEGIN { printf "%-34s %8.2f ms  /bin/true %6.2f ms  ratio %5.1f\n", l, c / n / 1e3, t / n / 1e3, c / t }'
}

paired "zancli -AdpAllInfo -aALL" "$bin/zancli" -AdpAllInfo -aALL
paired "zancli -PDList -aALL" "$bin/zancli" -PDList -aALL
paired "zancli -LDInfo -Lall -aALL" "$bin/zancli" -LDInfo -Lall -aALL
paired "zancli -AdpCount" "$bin/zancli" -AdpCount
mkdir "$ZAN_ROOT/logs"
paired "zanlog ZAN_0_RaidLog (2 MiB)" "$bin/zanlog" ZAN_0_RaidLog "$ZAN_ROOT/logs"
rm -r "$ZAN_ROOT/logs"

"$bin/zan_request_bench"
"$bin/zan_data_bench"
"$bin/zan_pth_read_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
"$bin/zan_service_walk_bench"

# The hosted service between two polls, on the stopped clock: the CPU time
# its process uses over five seconds of its 120 s wait.
"$bin/zansim" create >/dev/null
"$bin/zansim" clock set >/dev/null
"$bin/zansim" service start zanservice "$(cd "$bin" && pwd)/zanservice" >/dev/null
"$bin/zansim" service idle zanservice
pid=$(cat "$ZAN_ROOT/services/zanservice.pid")
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
before=$(cpu_ticks)
sleep 5
after=$(cpu_ticks)
"$bin/zansim" service stop zanservice >/dev/null
"$bin/zansim" service wait zanservice STOPPED
awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" \
    'BEGIN { printf "%-34s cpu %.2f s (%d ticks)\n", "idle service, 5 s of its wait", t / hz, t }'

"$bin/zansim" create >/dev/null
image="$ZAN_ROOT/bench.img"
"$bin/zansim" image write "$image" --revision 1.30 --length 8388608 >/dev/null
t0=${EPOCHREALTIME/[.,]/}
"$bin/zancli" -AdpFwFlash -f"$image" -a0 >/dev/null <<ANSWER
y
ANSWER
t1=${EPOCHREALTIME/[.,]/}
awk -v d=$((t1 - t0)) 'BEGIN { printf "%-34s %.3f s wall\n", "8 MiB firmware update", d / 1e6 }'
