#!/usr/bin/python3
"""A call from Python against the C++ API on the same frame, in one run.

For each library and for 12 MP and 48 MP Bayer frames (uint16, contiguous, so
no conversion is needed), the seconds of Analyser.analyse from Python and of
the C++ analyser's Run in a C++ loop (sensordefect._sensordefect._time_native_runs),
both single-threaded on one reused analyser, taken in alternating rounds;
then the pictures per second of two Python threads (each with its own
analyser, one analysis thread each) against one thread on 12 MP pictures.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_call_bench.py [--rounds 5] [--libraries waferon,glazet]
"""

import argparse
import statistics
import threading
import time

import numpy as np

import sensordefect
from sensordefect import _sensordefect as native

SIZES = {"12MP": (3000, 4000), "48MP": (6000, 8000)}


def bayer_frame(shape, seed):
    rng = np.random.default_rng(seed)
    frame = rng.normal(600, 4, shape).clip(0, 1023).astype(np.uint16)
    frame[1::2, 0::2] = rng.normal(800, 4, (shape[0] // 2, shape[1] // 2)).clip(0, 1023)
    frame[rng.integers(0, shape[0], 300), rng.integers(0, shape[1], 300)] = 1023
    return frame


def python_seconds(analyser, frame, params, repeats):
    seconds = []
    for _ in range(repeats):
        start = time.perf_counter()
        analyser.analyse(frame, params, threads=1)
        seconds.append(time.perf_counter() - start)
    return seconds


def call_costs(libraries, rounds, repeats):
    print("medians, then minimums (the least disturbed call on a shared machine)")
    print(f"{'library':8} {'size':5} {'python ms':>10} {'C++ ms':>10} {'ratio':>7} {'min py':>8} {'min C++':>8} {'ratio':>7}")
    for size, shape in SIZES.items():
        frame = bayer_frame(shape, 1)
        for library in libraries:
            module = getattr(sensordefect, library)
            params, analyser = module.Params(), module.Analyser()
            analyser.analyse(frame, params, threads=1)  # first call: working memory
            py, cc = [], []
            for _ in range(rounds):
                py += python_seconds(analyser, frame, params, repeats)
                cc += native._time_native_runs(frame, params, repeats, threads=1)
            p, c = statistics.median(py), statistics.median(cc)
            lp, lc = min(py), min(cc)
            print(f"{library:8} {size:5} {p * 1e3:10.1f} {c * 1e3:10.1f} {p / c:7.3f} "
                  f"{lp * 1e3:8.1f} {lc * 1e3:8.1f} {lp / lc:7.3f}", flush=True)


def fixed_overhead(libraries, repeats=2000):
    """What a call from Python adds to the C++ call, in microseconds: the
    difference of the medians on a 64 x 64 frame, where the analysis is short."""
    frame = bayer_frame((64, 64), 2)
    for library in libraries:
        module = getattr(sensordefect, library)
        params, analyser = module.Params(), module.Analyser()
        analyser.analyse(frame, params, threads=1)
        p = statistics.median(python_seconds(analyser, frame, params, repeats))
        c = statistics.median(native._time_native_runs(frame, params, repeats, threads=1))
        print(f"{library:8} 64x64 python {p * 1e6:8.1f} us  C++ {c * 1e6:8.1f} us  added {(p - c) * 1e6:6.1f} us",
              flush=True)


def pictures_per_second(library, frames, workers):
    module = getattr(sensordefect, library)
    params = module.Params()
    analysers = [module.Analyser() for _ in range(workers)]
    for a in analysers:
        a.analyse(frames[0], params, threads=1)
    share = [frames[i::workers] for i in range(workers)]

    def work(i):
        for frame in share[i]:
            analysers[i].analyse(frame, params, threads=1)

    threads = [threading.Thread(target=work, args=(i,)) for i in range(workers)]
    start = time.perf_counter()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    return len(frames) / (time.perf_counter() - start)


def thread_scaling(libraries, rounds):
    frames = [bayer_frame(SIZES["12MP"], seed) for seed in range(4)]
    print(f"{'library':8} {'1 thread pic/s':>15} {'2 threads pic/s':>16} {'ratio':>7}")
    for library in libraries:
        one, two = [], []
        for _ in range(rounds):
            one.append(pictures_per_second(library, frames, 1))
            two.append(pictures_per_second(library, frames, 2))
        a, b = statistics.median(one), statistics.median(two)
        print(f"{library:8} {a:15.2f} {b:16.2f} {b / a:7.3f}", flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--repeats", type=int, default=2)
    parser.add_argument("--libraries", default="waferon,glazet,ostrel")
    args = parser.parse_args()
    libraries = args.libraries.split(",")
    fixed_overhead(libraries)
    call_costs(libraries, args.rounds, args.repeats)
    thread_scaling(libraries, args.rounds)


if __name__ == "__main__":
    main()
