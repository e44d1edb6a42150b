# Helpers of the zanlog suites.

# The 32-bit words of FILE, one a line as od shows their bytes, next to the
# adapter memory from 0xC00000 (every little-endian word holds its own
# address) over the 128 KiB of the firmware trace area: no output when equal.
trace_area_differs() {
    [ "$(stat -c %s "$1")" -eq 131072 ] || { echo "size $(stat -c %s "$1")"; return; }
    diff <(od -An -v -tx1 -w4 "$1") <(awk 'BEGIN { for (a = 12582912; a < 12713984; a += 4)
        printf " %02x %02x %02x %02x\n", a % 256, int(a / 256) % 256, int(a / 65536) % 256, int(a / 16777216) }')
}
