#!/usr/bin/python3
"""Analyses a folder of pictures on a Dask distributed cluster and writes a CSV
and a PNG histogram: a local cluster by default, or the scheduler given.

    /usr/bin/python3 dask_archive.py pictures/ --workers 4 --csv defects.csv --png defects.png
    /usr/bin/python3 dask_archive.py /shared/pictures --scheduler tcp://10.0.0.5:8786

With a scheduler, the workers need the package sensordefect and the picture
folder at the same path; this script sends them archive_rows.py.
"""

import argparse
import sys

from dask.distributed import Client, LocalCluster

import archive_rows
from archive_rows import add_arguments, analyse_file, finish, pictures_in


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    add_arguments(parser)
    parser.add_argument("--scheduler", help="address of a running scheduler (default: a local cluster)")
    parser.add_argument("--in-process", action="store_true",
                        help="local cluster: worker threads in this process instead of worker processes")
    args = parser.parse_args()

    if args.scheduler:
        client = Client(args.scheduler)
        client.upload_file(archive_rows.__file__)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=not args.in_process,
                               host="127.0.0.1", dashboard_address=None)
        client = Client(cluster)
    try:
        pictures = [str(p) for p in pictures_in(args.folder)]
        futures = client.map(analyse_file, pictures, library=args.library, settings=args.settings,
                             limits=args.limits, pure=False)
        rows = client.gather(futures)
    finally:
        client.close()
        if not args.scheduler:
            cluster.close()
    return finish(rows, args)


if __name__ == "__main__":
    sys.exit(main())
