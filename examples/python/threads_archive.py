#!/usr/bin/python3
"""Analyses a folder of pictures on a thread pool (the analyses release the
interpreter lock, so every core works) and writes a CSV and a PNG histogram.

    /usr/bin/python3 threads_archive.py pictures/ --library waferon --csv defects.csv --png defects.png
"""

import argparse
import sys
import threading
from concurrent.futures import ThreadPoolExecutor

import sensordefect

from archive_rows import add_arguments, analyse_file, finish, pictures_in


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    add_arguments(parser)
    args = parser.parse_args()
    local = threading.local()

    def analyse(picture):
        # One analyser per thread keeps its working memory between pictures.
        if not hasattr(local, "analyser"):
            local.analyser = getattr(sensordefect, args.library).Analyser()
        return analyse_file(picture, args.library, args.settings, args.limits, local.analyser)

    with ThreadPoolExecutor(max_workers=args.workers) as pool:
        rows = list(pool.map(analyse, pictures_in(args.folder)))
    return finish(rows, args)


if __name__ == "__main__":
    sys.exit(main())
