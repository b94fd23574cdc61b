"""The archive examples (thread pool, Dask cluster of two local workers) give
for every picture what sensorbatch gives for the same jobs."""

import csv
import json
import os
import subprocess
import sys

import pytest

from conftest import BIN, EXAMPLES, PROGRAMS, limits_of, settings_of, simulate

SCRIPTS = EXAMPLES / "python"


def run_script(name, *args):
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(sys.path))
    done = subprocess.run([sys.executable, str(SCRIPTS / name), *map(str, args)], env=env, timeout=240,
                          capture_output=True, text=True)
    assert done.returncode in (0, 1), done.stderr


def batch_summary(folder, library, pictures):
    jobs = folder / "jobs.txt"
    jobs.write_text("".join(
        f"{PROGRAMS[library]} -slave -BMPFileIn {p} -TestSettings {settings_of(library)} "
        f"-TestLimits {limits_of(library)} -OutputFolder {folder / 'runs' / p.stem}\n" for p in pictures))
    summary = folder / "summary.jsonl"
    subprocess.run([str(BIN / "sensorbatch"), "-Jobs", str(jobs), "-Workers", "2", "-Summary", str(summary)], check=False,
                   stdout=subprocess.DEVNULL)
    return [json.loads(line) for line in summary.read_text().splitlines()]


@pytest.mark.parametrize("library", ["waferon", "glazet"])
def test_archive_scripts_agree_with_sensorbatch(tmp_path, library):
    archive = tmp_path / "archive"
    archive.mkdir()
    pictures = [simulate(archive, f"p{i}.bmp", "-BayerMode", "-Size", "256,192", "-Seed", i, "-HotPixels", i,
                         "-Blemishes", f"{i % 3},8,30") for i in range(1, 6)]
    (tmp_path / "runs").mkdir()
    expected = {j["picture"]: j for j in batch_summary(tmp_path, library, pictures)}

    outputs = {"threads": tmp_path / "threads.csv", "dask": tmp_path / "dask.csv"}
    run_script("threads_archive.py", archive, "--library", library, "--csv", outputs["threads"],
               "--png", tmp_path / "h.png")
    run_script("dask_archive.py", archive, "--library", library, "--workers", 2, "--csv", outputs["dask"])
    assert (tmp_path / "h.png").read_bytes()[:4] == b"\x89PNG"
    for name, path in outputs.items():
        with open(path, newline="") as table:
            rows = list(csv.DictReader(table))
        assert sorted(r["picture"] for r in rows) == sorted(map(str, pictures)), name
        for row in rows:
            job = expected[row["picture"]]
            assert (int(row["ReturnCode"]), int(row["Status"]), row["Message"]) == \
                (job["ReturnCode"], job["Status"], job["Message"]), name
            assert row["labels"].split(";") == job["labels"], name
            assert [float(v) for v in row["values"].split(";")] == job["values"], name
