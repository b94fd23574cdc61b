"""One row per picture and program for the archive scripts (threads_archive.py,
dask_archive.py): the verdicts against the program's limits file as its status
file gives them, the count of defects, and the CSV and histogram they write."""

import csv
import pathlib

import sensordefect

HERE = pathlib.Path(__file__).resolve().parent
LIBRARIES = {"waferon": "waferonrun", "glazet": "glazetrun", "ostrel": "ostrelrun"}
PICTURE_SUFFIXES = {".bmp", ".pgm", ".tif", ".tiff", ".dng"}
COLUMNS = ["picture", "program", "ReturnCode", "Status", "Message", "defects", "labels", "values"]


def example_file(library, name):
    """The shipped settings.ini or limits.txt of a library's program."""
    return HERE.parent / LIBRARIES[library] / name


def pictures_in(folder):
    return sorted(p for p in pathlib.Path(folder).iterdir() if p.suffix.lower() in PICTURE_SUFFIXES)


def defects_of(result):
    if isinstance(result, sensordefect.waferon.Result):
        return (result.center_pixels + result.side_pixels + result.center_clusters + result.side_clusters)
    if isinstance(result, sensordefect.glazet.Result):
        return result.blemish_count
    return 0


def analyse_file(picture, library, settings=None, limits=None, analyser=None):
    """Analyses one picture file as the library's program would with the
    settings and limits files (default: the shipped examples); gives a row."""
    module = getattr(sensordefect, library)
    params = module.Params.from_settings(settings or example_file(library, "settings.ini"))
    frame = sensordefect.read_picture(picture, params=params)
    result = (analyser or module).analyse(frame, params, threads=1)
    verdicts = module.judge(result, limits or example_file(library, "limits.txt"))
    return {"picture": str(picture), "program": LIBRARIES[library].capitalize(), "ReturnCode": verdicts.code,
            "Status": verdicts.status, "Message": verdicts.message, "defects": defects_of(result),
            "labels": ";".join(v.label for v in verdicts), "values": ";".join(v.text for v in verdicts)}


def write_csv(rows, path):
    with open(path, "w", newline="") as out:
        writer = csv.DictWriter(out, fieldnames=COLUMNS)
        writer.writeheader()
        writer.writerows(rows)


def plot_histogram(rows, path):
    import matplotlib
    matplotlib.use("Agg")
    from matplotlib import pyplot

    figure, axes = pyplot.subplots(figsize=(6, 4))
    counts = [row["defects"] for row in rows]
    axes.hist(counts, bins=range(0, max(counts, default=0) + 2), align="left", rwidth=0.8)
    axes.set_xlabel("defects per picture")
    axes.set_ylabel("pictures")
    axes.set_title(f"{len(rows)} pictures, {sum(r['Status'] == 0 for r in rows)} passed")
    figure.tight_layout()
    figure.savefig(path)
    pyplot.close(figure)


def add_arguments(parser):
    """The arguments both archive scripts take."""
    parser.add_argument("folder", help="folder of pictures (.bmp, .pgm, .tif, .tiff, .dng)")
    parser.add_argument("--library", choices=sorted(LIBRARIES), default="waferon")
    parser.add_argument("--settings", help="the program's settings file (default: the shipped example)")
    parser.add_argument("--limits", help="the program's limits file (default: the shipped example)")
    parser.add_argument("--csv", default="defects.csv", help="the table to write")
    parser.add_argument("--png", help="the histogram of defect counts to write")
    parser.add_argument("--workers", type=int, default=2)


def finish(rows, args):
    """Writes the CSV (and the histogram); gives the exit status: 0 when every picture passed."""
    write_csv(rows, args.csv)
    if args.png:
        plot_histogram(rows, args.png)
    failed = sum(row["Status"] != 0 for row in rows)
    print(f"{len(rows)} pictures, {failed} failed -> {args.csv}")
    return 1 if failed else 0
