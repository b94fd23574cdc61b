"""The package gives what the programs give on the same picture and settings:
the findings of the JSON report (to_dict) and the verdicts against the shipped
limits files."""

import pytest

from conftest import limits_of, run_program, sd, settings_of, simulate

DEFECTS = ["-HotPixels", 7, "-DarkPixels", 5, "-Clusters", "3,4", "-Blemishes", "3,12,30", "-Seed", 5]

# library, sensorsim options, settings lines appended to the shipped ones, raw layout
CASES = [
    ("waferon", ["-BayerMode", "-BitCount", 32], [], None),
    ("waferon", ["-BayerMode", "-BitCount", 24, "-TopDown"], ["LocalSearch=0"], None),
    ("waferon", ["-ColorMode", "-BitCount", 24], ["BayerMode=0", "PixelThreshold(%)=20,20,20,20,20,30,30,30,30,30"],
     None),
    ("waferon", ["-BayerMode", "-Format", "pgm", "-BitsUsage", "12,12"], ["BitsUsage=12,12"], None),
    ("waferon", ["-BayerMode", "-Format", "raw12", "-BitsUsage", "12,10"], ["BitsUsage=12,10"], "raw12,320,240"),
    ("glazet", ["-BayerMode", "-BitCount", 32], [], None),
    ("glazet", ["-BayerMode", "-Format", "dng"], ["LocalSearch=0", "Color=R"], None),
    ("glazet", ["-ColorMode", "-BitCount", 32], ["BayerMode=0", "Color=G"], None),
    ("ostrel", ["-BayerMode", "-Format", "tiff"], [], None),
    ("ostrel", ["-ColorMode", "-BitCount", 24], ["BayerMode=0"], None),
]


def verdict_rows(verdicts):
    return [(v.label, v.unit, v.low, v.high, v.value, v.passed) for v in verdicts]


def report_rows(report):
    return [(v["label"], v["unit"], v["low"], v["high"], v["value"], v["pass"]) for v in report["verdicts"]]


@pytest.mark.parametrize("library,options,extra,raw_layout", CASES)
def test_findings_and_verdicts_match_the_program(tmp_path, library, options, extra, raw_layout):
    fmt = options[options.index("-Format") + 1] if "-Format" in options else "bmp"
    picture = simulate(tmp_path, f"picture.{fmt}", "-Size", "320,240", *options, *DEFECTS)
    settings = tmp_path / "settings.ini"
    settings.write_text(settings_of(library).read_text() + "".join(line + "\n" for line in extra))
    report = run_program(library, picture, settings, tmp_path, raw_layout)

    module = getattr(sd, library)
    params = module.Params.from_settings(settings)
    frame = sd.read_picture(picture, raw_layout=raw_layout, params=params)
    result = module.analyse(frame, params)
    assert result.to_dict() == report["findings"]

    verdicts = sd.judge(result, limits_of(library))
    assert verdict_rows(verdicts) == report_rows(report)
    assert (verdicts.status, verdicts.message) == (report["status"]["status"], report["status"]["message"])
    assert verdicts.code == report["result"]["code"]


def test_results_hold_what_the_report_lacks(tmp_path):
    """Hot or dark per candidate agrees with the planted pixels; the defect
    map's marks are the candidates counted."""
    truth = tmp_path / "truth.csv"
    picture = simulate(tmp_path, "p.bmp", "-BayerMode", "-Size", "320,240", "-Amplitude", 300, "-Truth", truth,
                       *DEFECTS)
    planted = {}
    for line in truth.read_text().splitlines()[1:]:
        kind, x, y = line.split(",")[:3]
        if kind in ("hot", "dark"):
            planted[(int(x), int(y))] = kind == "hot"
    params = sd.waferon.Params.from_settings(settings_of("waferon"))
    frame = sd.read_picture(picture, params=params)
    result = sd.waferon.analyse(frame, params)
    found = {(int(c["x"]), int(c["y"])): bool(c["hot"]) for c in result.candidates if (c["x"], c["y"]) in planted}
    assert len(found) >= len(planted) - 2 and True in found.values() and False in found.values()
    assert found == {xy: planted[xy] for xy in found}

    blemishes = sd.glazet.analyse(frame, sd.glazet.Params.from_settings(settings_of("glazet")))
    assert blemishes.defect_map.shape == (240, 320)
    assert int((blemishes.defect_map == 255).sum()) == blemishes.candidates > 0
    assert blemishes.blemishes["pixels"].sum() <= blemishes.candidates


@pytest.mark.parametrize("options,raw_layout", [(["-BitCount", 24], None), (["-Format", "pgm"], None),
                                                (["-Format", "dng"], None), (["-Format", "raw10"], "raw10,64,48")])
def test_a_pictures_bytes_read_as_its_file(tmp_path, options, raw_layout):
    """Bytes, a bytearray or a memoryview read as the file they hold; cut
    short, they are refused with the reader's message or as no picture."""
    picture = simulate(tmp_path, "p", "-BayerMode", "-Size", "64,48", *options, *DEFECTS)
    data = picture.read_bytes()
    from_file = sd.read_picture(picture, raw_layout=raw_layout)
    for source in (data, bytearray(data), memoryview(data)):
        from_bytes = sd.read_picture(source, raw_layout=raw_layout)
        assert (from_bytes.width, from_bytes.height, from_bytes.samples) == (64, 48, from_file.samples)
        assert (from_bytes.frame == from_file.frame).all()
    with pytest.raises(OSError if options[0] == "-BitCount" else ValueError):
        sd.read_picture(data[: len(data) // 2], raw_layout=raw_layout)
