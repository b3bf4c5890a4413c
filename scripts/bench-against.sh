#!/bin/sh
# Times this build's benchmarks against another build's, the two run in turn
# (old, new, old, new ...), each run a fresh process, and prints each ratio
# new / old per pair: the least, the median and the most, beside its goal.
#
#   scripts/bench-against.sh OLD_BENCH_DIR [NEW_BENCH_DIR] [PAIRS]
#
# OLD_BENCH_DIR and NEW_BENCH_DIR are the bench/ folders of two Release
# builds with -DTARVEX_BENCH=ON (NEW_BENCH_DIR: build-bench/bench, PAIRS: 5).
# The figures compared are the projected shapefile import, the open of one
# crowded cell and the nearest-point picks, each to take no longer than it
# took in the older build.
set -eu
old=${1:?usage: bench-against.sh OLD_BENCH_DIR [NEW_BENCH_DIR] [PAIRS]}
new=${2:-build-bench/bench}
pairs=${3:-5}

exec /usr/bin/python3 - "$old" "$new" "$pairs" <<'EOF'
import json, os, subprocess, sys

old, new, pairs = sys.argv[1], sys.argv[2], int(sys.argv[3])
figures = [  # (what, benchmark program, filter, goal)
    ("projected shapefile import", "bench_shapes", "^Import", 1.0),
    ("crowded cell open (1.6M shape points in one cell)", "bench_netfile", "^LoadShapePoints/1", 1.0),
    ("nearest-point picks", "bench_model", "^BM_Picks", 1.0),
]

def run(folder, program, pattern):
    path = os.path.join(folder, program)
    out = subprocess.run([path, "--benchmark_filter=" + pattern, "--benchmark_format=json"],
                         check=True, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    found = json.loads(out)["benchmarks"]
    if len(found) != 1:
        sys.exit("%s %s: %d benchmarks match, not one" % (path, pattern, len(found)))
    return found[0]["real_time"]

for what, program, pattern, goal in figures:
    ratios = []
    for _ in range(pairs):
        before = run(old, program, pattern)
        after = run(new, program, pattern)
        ratios.append(after / before)
    ratios.sort()
    print("%-62s min %5.2f  median %5.2f  max %5.2f  (%d pairs)   goal: at most %.1f" %
          (what + " / older build", ratios[0], ratios[len(ratios) // 2], ratios[-1], len(ratios), goal))
EOF
