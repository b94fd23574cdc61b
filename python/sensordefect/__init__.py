"""Camera sensor tests on frames held in memory.

    import sensordefect
    from sensordefect import waferon
    params = waferon.Params.from_settings("settings.ini")   # or waferon.Params()
    result = waferon.analyse(frame, params)                 # frame: a numpy array
    print(result.center_pixels, result.candidates[:5])
    print(sensordefect.judge(result, "limits.txt").passed)

Submodules waferon (defective pixels and clusters), glazet (package blemishes
and the defect map) and ostrel (levels), each with Params, Analyser, analyse,
Result and judge; read_picture reads a picture file as the programs do.
"""

from ._sensordefect import Picture, Verdict, Verdicts, read_picture
from . import glazet, ostrel, waferon

__all__ = ["Picture", "Verdict", "Verdicts", "glazet", "judge", "ostrel", "read_picture", "waferon"]

_JUDGES = {waferon.Result: waferon.judge, glazet.Result: glazet.judge, ostrel.Result: ostrel.judge}


def judge(result, limits):
    """Judges a result of any of the three libraries against its program's
    limits file (see waferon.judge); gives Verdicts."""
    try:
        return _JUDGES[type(result)](result, limits)
    except KeyError:
        raise TypeError(f"judge takes a waferon, glazet or ostrel Result, not {type(result).__name__}") from None
