from typing import Optional, Union

import numpy as np

from . import Picture, PathLike, Verdicts

Five = tuple[float, float, float, float, float]
Area = tuple[int, int, int, int]

class Params:
    bayer_mode: bool
    sensor_bpp: int
    test_bpp: int
    outlier_left: int
    outlier_top: int
    outlier_right: int
    outlier_bottom: int
    roi_left: float
    roi_top: float
    roi_right: float
    roi_bottom: float
    def __init__(self, **fields: object) -> None: ...
    @staticmethod
    def from_settings(path: PathLike) -> Params: ...

class Result:
    code: int
    message: str
    ok: bool
    width: int
    height: int
    window: Area
    measured: bool
    levels: Five
    def to_dict(self) -> dict: ...

class Analyser:
    def __init__(self) -> None: ...
    def analyse(self, frame: Union[np.ndarray, Picture], params: Params = ..., threads: Optional[int] = None,
                channel_order: str = "rgb") -> Result: ...

def analyse(frame: Union[np.ndarray, Picture], params: Params = ..., threads: Optional[int] = None,
            channel_order: str = "rgb") -> Result: ...
def judge(result: Result, limits: PathLike) -> Verdicts: ...
