import os
from typing import Iterator, Optional, Union

import numpy as np

from . import glazet as glazet, ostrel as ostrel, waferon as waferon

PathLike = Union[str, "os.PathLike[str]"]

class Verdict:
    label: str
    unit: str
    low: int
    high: int
    value: Union[int, float]
    text: str
    passed: bool

class Verdicts:
    entries: list[Verdict]
    code: int
    status: int
    message: str
    passed: bool
    def __len__(self) -> int: ...
    def __iter__(self) -> Iterator[Verdict]: ...

class Picture:
    frame: np.ndarray
    width: int
    height: int
    bit_count: int
    channel_order: Optional[str]
    samples: bool
    sensor_bpp: int
    top_row_first: bool

def read_picture(
    path: Union[PathLike, bytes, bytearray, memoryview],
    raw_layout: Optional[str] = None,
    params: Union[waferon.Params, glazet.Params, ostrel.Params, None] = None,
) -> Picture: ...
def judge(result: Union[waferon.Result, glazet.Result, ostrel.Result], limits: PathLike) -> Verdicts: ...
