#!/usr/bin/env python3
"""Prints the benchmark results (Google Benchmark JSON) as one table: each of
our figures beside its OpenCV counterpart and the floor of the same buffer."""
import json
import re
import sys

runs = {}
for b in json.load(open(sys.argv[1]))["benchmarks"]:
    if b.get("run_type", "iteration") != "iteration" or "error_occurred" in b:
        continue
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    runs[b["name"]] = b["real_time"] * scale


def t(name):
    return runs.get(name)


rows = []  # (label, ours, opencv, read, copy)


def add(label, ours, opencv, floor):
    if t(ours) is None:
        return
    rows.append((label, t(ours), t(opencv) if opencv else None,
                 t("BM_ReadPass/" + floor) if floor else None,
                 t("BM_CopyPass/" + floor) if floor else None))


for size in ("4000/3000", "8000/6000"):
    for bits in ("32", "24"):
        f = f"{size}/{bits}"
        add(f"Ostrel colour {f}", f"BM_OstrelColour/{f}", f"BM_OpenCvMean/{f}", f)
        add(f"Ostrel Bayer {f}", f"BM_OstrelBayer/{f}", f"BM_OpenCvBayerMeans/{f}", f)

for bayer in (1, 0):
    for local in (0, 1):
        for small, large in ((5, 15), (15, 63)):
            args = f"bayer:{bayer}/local:{local}/small:{small}/large:{large}"
            kind = ("Bayer" if bayer else "colour") + (" local" if local else " global")
            add(f"Glazet search {kind} {small},{large}", f"BM_GlazetSearch/{args}",
                f"BM_OpenCvGlazetRoute/{args}", "4000/3000/32")
            add(f"Glazet Execute {kind} {small},{large}", f"BM_GlazetExecute/{args}",
                f"BM_OpenCvGlazetRoute/{args}", "4000/3000/32")
for bayer in (1, 0):
    for local in (0, 1):
        for hammer in (11, 31):
            args = f"bayer:{bayer}/local:{local}/hammer:{hammer}"
            kind = ("Bayer" if bayer else "colour") + (" local" if local else " global")
            add(f"Waferon Execute {kind} {hammer}", f"BM_WaferonExecute/{args}",
                f"BM_OpenCvWaferonRoute/{args}", "4000/3000/32")
add("Glazet cluster count (60k marks)", "BM_GlazetClusterCount", "BM_OpenCvConnectedComponents", None)
add("Waferon cluster growth (60k marks)", "BM_WaferonClusterGrowth", "BM_OpenCvConnectedComponents", None)


def ms(v):
    return f"{v:9.2f}" if v is not None else "        -"


def ratio(a, b):
    return f"{a / b:7.2f}" if a is not None and b else "      -"


print(f"{'work (4000x3000 x 32 unless named)':40} {'ours ms':>9} {'OpenCV':>9} {'/OpenCV':>7}"
      f" {'read ms':>9} {'copy ms':>9} {'/read':>7}")
for label, ours, cv, read, copy in rows:
    print(f"{label:40} {ms(ours)} {ms(cv)} {ratio(ours, cv)} {ms(read)} {ms(copy)} {ratio(ours, read)}")
if t("BM_OpenCvIntegral/4000/3000/32") is not None:
    print(f"{'OpenCV integral of one channel':40} {'':9} {ms(t('BM_OpenCvIntegral/4000/3000/32'))}")

# Window size: the larger windows' time over the smaller ones'.
print()
for pattern, small, large in ((r"BM_GlazetSearch/(.*)small:5/large:15", "small:5/large:15", "small:15/large:63"),
                              (r"BM_WaferonExecute/(.*)hammer:11", "hammer:11", "hammer:31")):
    for name in sorted(runs):
        if re.fullmatch(pattern, name) and t(name.replace(small, large)):
            print(f"window ratio {name.replace(small, '*')}: {t(name.replace(small, large)) / t(name):.2f}")
