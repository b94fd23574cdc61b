"""Analyses on a thread pool give what they give one after another, whether
each call makes its analyser or each thread keeps one."""

import threading
from concurrent.futures import ThreadPoolExecutor

import numpy as np

from conftest import sd


def test_thread_pool_gives_the_sequential_findings(bayer_picture):
    rng = np.random.default_rng(7)
    frames = []
    for i in range(6):
        frame = bayer_picture.copy()
        frame[rng.integers(0, frame.shape[0], 20), rng.integers(0, frame.shape[1], 20)] = 1023 * (i % 2)
        frames.append(frame)
    jobs = [(library, frame) for frame in frames for library in ("waferon", "glazet", "ostrel")]
    expected = [getattr(sd, library).analyse(frame, threads=1).to_dict() for library, frame in jobs]

    local = threading.local()

    def kept_analyser(job):
        library, frame = job
        analysers = local.__dict__.setdefault("analysers", {})
        analyser = analysers.setdefault(library, getattr(sd, library).Analyser())
        return analyser.analyse(frame).to_dict()

    def fresh_call(job):
        library, frame = job
        return getattr(sd, library).analyse(frame, threads=2).to_dict()

    with ThreadPoolExecutor(max_workers=3) as pool:
        assert list(pool.map(kept_analyser, jobs * 2)) == expected * 2
        assert list(pool.map(fresh_call, jobs)) == expected


def test_results_outlive_later_calls_of_their_analyser(bayer_picture):
    analyser = sd.waferon.Analyser()
    first = analyser.analyse(bayer_picture)
    candidates = first.candidates
    snapshot = (first.to_dict(), candidates.copy())
    flat = np.full_like(bayer_picture, 600)
    for _ in range(3):
        assert analyser.analyse(flat).center_pixels == 0
    assert first.to_dict() == snapshot[0] and (candidates == snapshot[1]).all() and len(candidates) > 0
