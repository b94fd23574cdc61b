#!/usr/bin/env python3
"""Prints the benchmark results (Google Benchmark JSON) as one table: each of
our figures beside its OpenCV counterpart and the floor of the same buffer,
then the window-size ratios and which speed goals the figures meet.

Figures are CPU time of the one thread that does the work (the median of the
repetitions when the run repeated), so that other work on a shared machine
skews them less than wall time; "spread" is (largest - smallest) / median of
the repetitions, the larger of ours and OpenCV's. Usage:
bench_table.py RESULTS.json... [--real] (--real: wall time instead; several
files pool their repetitions)."""
import json
import re
import statistics
import sys

field = "real_time" if "--real" in sys.argv[1:] else "cpu_time"
samples, labels, faults = {}, {}, {}
for b in (b for f in sys.argv[1:] if f != "--real" for b in json.load(open(f))["benchmarks"]):
    if b.get("run_type", "iteration") != "iteration" or "error_occurred" in b:
        continue
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
    name = b.get("run_name", b["name"])
    samples.setdefault(name, []).append(b[field] * scale)
    if "faults" in b:
        faults.setdefault(name, []).append(b["faults"])
    if b.get("label"):
        labels[name] = b["label"]
runs = {name: statistics.median(v) for name, v in samples.items()}


def t(name):
    return runs.get(name)


def spread(name):
    v = samples.get(name, [])
    return (max(v) - min(v)) / statistics.median(v) if len(v) > 1 else None


rows = []  # (label, kind, ours, opencv, read, copy, spread)


def add(label, kind, ours, opencv, floor):
    if t(ours) is None:
        return
    spreads = [s for s in (spread(ours), spread(opencv) if opencv else None) if s is not None]
    rows.append((label, kind, t(ours), t(opencv) if opencv else None,
                 t("BM_ReadPass/" + floor) if floor else None,
                 t("BM_CopyPass/" + floor) if floor else None,
                 max(spreads) if spreads else None))


for size in ("4000/3000", "8000/6000"):
    for bits in ("32", "24"):
        f = f"{size}/{bits}"
        add(f"Ostrel colour {f}", "levels", f"BM_OstrelColour/{f}", f"BM_OpenCvMean/{f}", f)
        add(f"Ostrel Bayer {f}", "levels", f"BM_OstrelBayer/{f}", f"BM_OpenCvBayerMeans/{f}", f)

for bayer in (1, 0):
    for local in (0, 1):
        for small, large in ((5, 15), (15, 63)):
            args = f"bayer:{bayer}/local:{local}/small:{small}/large:{large}"
            kind = ("Bayer" if bayer else "colour") + (" local" if local else " global")
            add(f"Glazet search {kind} {small},{large}", "search", f"BM_GlazetSearch/{args}",
                f"BM_OpenCvGlazetRoute/{args}", "4000/3000/32")
            add(f"Glazet Execute {kind} {small},{large}", "execute", f"BM_GlazetExecute/{args}",
                f"BM_OpenCvGlazetRoute/{args}", "4000/3000/32")
for bayer in (1, 0):
    for local in (0, 1):
        for hammer in (11, 31):
            args = f"bayer:{bayer}/local:{local}/hammer:{hammer}"
            kind = ("Bayer" if bayer else "colour") + (" local" if local else " global")
            add(f"Waferon Execute {kind} {hammer}", "search", f"BM_WaferonExecute/{args}",
                f"BM_OpenCvWaferonRoute/{args}", "4000/3000/32")
add("Glazet cluster count (60k marks)", "cluster", "BM_GlazetClusterCount",
    "BM_OpenCvConnectedComponents", None)
add("Waferon cluster growth (60k marks)", "cluster", "BM_WaferonClusterGrowth",
    "BM_OpenCvConnectedComponents", None)


def ms(v):
    return f"{v:9.2f}" if v is not None else "        -"


def ratio(a, b):
    return f"{a / b:7.2f}" if a is not None and b else "      -"


def percent(v):
    return f"{100 * v:6.0f}%" if v is not None else "      -"


read_kind = labels.get("BM_ReadPass/4000/3000/32", "")
print(f"{'CPU' if field == 'cpu_time' else 'wall'} time, median of "
      f"{max((len(v) for v in samples.values()), default=0)} runs; every output and working "
      f"buffer reused from run to run on both sides")
print(f"read = vectorised sum of the buffer{' (' + read_kind + ')' if read_kind else ''}, "
      f"copy = memcpy of it")
print(f"{'work (4000x3000 x 32 unless named)':40} {'ours ms':>9} {'OpenCV':>9} {'/OpenCV':>7}"
      f" {'read ms':>9} {'copy ms':>9} {'/read':>7} {'spread':>7}")
for label, _, ours, cv, read, copy, sp in rows:
    print(f"{label:40} {ms(ours)} {ms(cv)} {ratio(ours, cv)} {ms(read)} {ms(copy)}"
          f" {ratio(ours, read)} {percent(sp)}")
if t("BM_OpenCvIntegral/4000/3000/32") is not None:
    print(f"{'OpenCV integral of one channel':40} {'':9} {ms(t('BM_OpenCvIntegral/4000/3000/32'))}")
floors = [n for n in samples if n.startswith(("BM_ReadPass/", "BM_CopyPass/"))]
if any(spread(n) is not None for n in floors):
    print(f"floor spread: up to {100 * max(spread(n) or 0 for n in floors):.0f}%")

# Page faults per run, the most of any repetition: none where every buffer is
# reused; ours count what the libraries allocate inside Execute.
def most_faults(*prefixes):
    v = [x for n, f in faults.items() if n.startswith(prefixes) for x in f]
    return f"{max(v):.0f}" if v else "-"


print(f"page faults per run, most in any repetition: OpenCV routes {most_faults('BM_OpenCv')}, "
      f"floor {most_faults('BM_ReadPass', 'BM_CopyPass')}, "
      f"Ostrel {most_faults('BM_Ostrel')}, Glazet search {most_faults('BM_GlazetSearch')}, "
      f"Glazet Execute {most_faults('BM_GlazetExecute')}, "
      f"Waferon Execute {most_faults('BM_WaferonExecute')}, "
      f"cluster passes {most_faults('BM_GlazetCluster')} and {most_faults('BM_WaferonCluster')}")

# Window size: the larger windows' time over the smaller ones'.
print()
window_ratios = []
for pattern, small, large in ((r"BM_GlazetSearch/(.*)small:5/large:15", "small:5/large:15", "small:15/large:63"),
                              (r"BM_GlazetExecute/(.*)small:5/large:15", "small:5/large:15", "small:15/large:63"),
                              (r"BM_WaferonExecute/(.*)hammer:11", "hammer:11", "hammer:31")):
    for name in sorted(runs):
        if re.fullmatch(pattern, name) and t(name.replace(small, large)):
            r = t(name.replace(small, large)) / t(name)
            window_ratios.append(r)
            print(f"window ratio {name.replace(small, '*')}: {r:.2f}")

# The goals: every analysis at or below OpenCV's route for the same work, the
# levels within 1.5 read passes, every search within 10, window size changing
# the cost by at most 1.3 times.
print()


def goal(text, checks):
    met = sum(1 for c in checks if c)
    print(f"goal {text}: {met} of {len(checks)} met")


# Glazet's whole Execute does more than OpenCV's route (levels, painting, the
# map file), so its search alone stands for it here.
goal("ours <= OpenCV", [ours <= cv for _, k, ours, cv, *_ in rows if cv is not None and k != "execute"])
goal("levels <= 1.5 x read", [ours <= 1.5 * read for _, k, ours, _, read, *_ in rows
                              if k == "levels" and read])
goal("searches <= 10 x read", [ours <= 10 * read for _, k, ours, _, read, *_ in rows
                               if k == "search" and read])
goal("Glazet Execute <= 10 x read", [ours <= 10 * read for _, k, ours, _, read, *_ in rows
                                     if k == "execute" and read])
goal("window ratio within 1/1.3 .. 1.3", [1 / 1.3 <= r <= 1.3 for r in window_ratios])
