from typing import Optional, Union

import numpy as np

from . import Picture, PathLike, Verdicts

Five = tuple[float, float, float, float, float]
Area = tuple[int, int, int, int]

class Params:
    bayer_mode: bool
    sensor_bpp: int
    test_bpp: int
    color_plane: int
    outlier_left: int
    outlier_top: int
    outlier_right: int
    outlier_bottom: int
    roi_left: float
    roi_top: float
    roi_right: float
    roi_bottom: float
    local_search: bool
    hammer_small: int
    hammer_large: int
    defect_threshold: float
    cluster_size: int
    def __init__(self, **fields: object) -> None: ...
    @staticmethod
    def from_settings(path: PathLike) -> Params: ...

class Result:
    code: int
    message: str
    ok: bool
    width: int
    height: int
    scan_area: Area
    region_of_interest: Area
    levels_measured: bool
    levels: Five
    searched: bool
    candidates: int
    too_many: bool
    counted: bool
    blemish_count: int
    blemishes: np.ndarray
    defect_map: Optional[np.ndarray]
    def to_dict(self) -> dict: ...

class Analyser:
    def __init__(self) -> None: ...
    def analyse(self, frame: Union[np.ndarray, Picture], params: Params = ..., threads: Optional[int] = None,
                channel_order: str = "rgb") -> Result: ...

def analyse(frame: Union[np.ndarray, Picture], params: Params = ..., threads: Optional[int] = None,
            channel_order: str = "rgb") -> Result: ...
def judge(result: Result, limits: PathLike) -> Verdicts: ...
