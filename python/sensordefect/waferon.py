"""Waferon: defective pixels and clusters of a frame.

Params (every field an attribute; Params.from_settings reads Waferonrun's
settings file), analyse(frame, params, threads=None, channel_order="rgb"),
Analyser (keeps its working memory for repeated calls), Result, and
judge(result, limits) with Waferonrun's limits file.
"""

from ._sensordefect import waferon as _native

Params = _native.Params
Result = _native.Result
Analyser = _native.Analyser
analyse = _native.analyse
judge = _native.judge

__all__ = ["Analyser", "Params", "Result", "analyse", "judge"]
