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
    center_left: float
    center_top: float
    center_right: float
    center_bottom: float
    local_search: bool
    count_pixels: bool
    find_clusters: bool
    cluster_size: int
    hammer_size: int
    center_cluster_threshold: Five
    side_cluster_threshold: Five
    center_pixel_threshold: Five
    side_pixel_threshold: Five
    threshold_percent: bool
    enabled: tuple[bool, bool, bool, bool, bool]
    table_size: int
    def __init__(self, **fields: object) -> None: ...
    @staticmethod
    def from_settings(path: PathLike) -> Params: ...

class Result:
    code: int
    message: str
    ok: bool
    width: int
    height: int
    search_region: Area
    center_zone: Area
    levels_measured: bool
    levels: Five
    finished: bool
    stopped: bool
    center_clusters: int
    center_pixels: int
    side_clusters: int
    side_pixels: int
    candidates: np.ndarray
    worst_pixels: np.ndarray
    cluster_table: np.ndarray
    clusters: np.ndarray
    def to_dict(self) -> dict: ...

class Analyser:
    def __init__(self) -> None: ...
    def analyse(self, frame: Union[np.ndarray, Picture], params: Params = ..., threads: Optional[int] = None,
                channel_order: str = "rgb") -> Result: ...

def analyse(frame: Union[np.ndarray, Picture], params: Params = ..., threads: Optional[int] = None,
            channel_order: str = "rgb") -> Result: ...
def judge(result: Result, limits: PathLike) -> Verdicts: ...
