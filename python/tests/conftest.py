"""What the package's tests share: the programs beside the build's libraries,
sensorsim pictures, and a program's run with its JSON report."""

import json
import os
import pathlib
import subprocess

import pytest

sd = pytest.importorskip("sensordefect", reason="the Python package is not built (pybind11-dev, python3-numpy)")

SOURCE = pathlib.Path(os.environ.get("SENSOR_SOURCE", pathlib.Path(__file__).resolve().parents[2]))
BIN = pathlib.Path(os.environ.get("SENSOR_BIN", SOURCE / "build" / "bin"))
EXAMPLES = SOURCE / "examples"
PROGRAMS = {"waferon": "Waferonrun", "glazet": "Glazetrun", "ostrel": "Ostrelrun"}


def simulate(folder, name, *options):
    """A sensorsim picture in `folder`; gives its path."""
    path = pathlib.Path(folder) / name
    subprocess.run([str(BIN / "sensorsim"), "-Out", str(path), *map(str, options)], check=True,
                   stdout=subprocess.DEVNULL)
    return path


def settings_of(library):
    return EXAMPLES / f"{PROGRAMS[library].lower()}" / "settings.ini"


def limits_of(library):
    return EXAMPLES / f"{PROGRAMS[library].lower()}" / "limits.txt"


def run_program(library, picture, settings, folder, raw_layout=None):
    """Runs the library's program on the picture with the settings and the
    shipped limits; gives its JSON report."""
    report = pathlib.Path(folder) / f"{picture.name}.{library}.json"
    args = [str(BIN / PROGRAMS[library]), "-slave", "-BMPFileIn", str(picture), "-TestSettings", str(settings),
            "-TestLimits", str(limits_of(library)), "-OutputFolder", str(folder), "-Report", str(report)]
    if raw_layout:
        args += ["-RawLayout", raw_layout]
    subprocess.run(args, stdout=subprocess.DEVNULL, cwd=folder)
    return json.loads(report.read_text())


@pytest.fixture(scope="session")
def bayer_picture(tmp_path_factory):
    """A 10-bit Bayer picture with every kind of defect, read as uint16 samples."""
    folder = tmp_path_factory.mktemp("bayer")
    path = simulate(folder, "bayer.pgm", "-BayerMode", "-Format", "pgm", "-Size", "203,151", "-HotPixels", 6,
                    "-DarkPixels", 4, "-Clusters", "3,4", "-Blemishes", "2,9,25", "-Seed", 11)
    return sd.read_picture(path).frame
