"""Ostrel: the five levels and the dimensions of a frame.

Params (every field an attribute; Params.from_settings reads Ostrelrun's
settings file), analyse(frame, params, threads=None, channel_order="rgb"),
Analyser (keeps its working memory for repeated calls), Result, and
judge(result, limits) with Ostrelrun's limits file.
"""

from ._sensordefect import ostrel as _native

Params = _native.Params
Result = _native.Result
Analyser = _native.Analyser
analyse = _native.analyse
judge = _native.judge

__all__ = ["Analyser", "Params", "Result", "analyse", "judge"]
