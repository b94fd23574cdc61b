"""Every array layout the package takes gives the findings of the plain
contiguous frame; anything else is refused with a message, never a crash."""

import numpy as np
import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from conftest import sd


def unaligned(a):
    """The same values in memory that starts one byte off alignment."""
    raw = np.empty(a.nbytes + 1, np.uint8)
    b = raw[1:].view(a.dtype).reshape(a.shape) if a.dtype.itemsize == 1 else \
        np.frombuffer(raw.data, dtype=a.dtype, count=a.size, offset=1).reshape(a.shape)
    b[...] = a
    return b


def padded(a):
    """A view of `a` inside a wider array: rows further apart than their pixels."""
    wide = np.zeros((a.shape[0], a.shape[1] + 7) + a.shape[2:], a.dtype)
    wide[:, 3:3 + a.shape[1]] = a
    return wide[:, 3:3 + a.shape[1]]


def bottom_up(a):
    """Rows stored bottom first: a view with a negative row stride."""
    return np.flipud(np.flipud(a).copy())


SAMPLE_LAYOUTS = {
    "contiguous": lambda a: a,
    "padded rows": padded,
    "bottom up": bottom_up,
    "column major": np.asfortranarray,
    "big endian": lambda a: a.astype(a.dtype.newbyteorder(">")),
    "unaligned": unaligned,
    "every other row of a taller array": lambda a: np.repeat(a, 2, axis=0)[::2],
}


@pytest.mark.parametrize("layout", SAMPLE_LAYOUTS)
@pytest.mark.parametrize("library", ["waferon", "glazet", "ostrel"])
def test_bayer16_layouts(bayer_picture, library, layout):
    module = getattr(sd, library)
    expected = module.analyse(bayer_picture).to_dict()
    assert module.analyse(SAMPLE_LAYOUTS[layout](bayer_picture)).to_dict() == expected


def test_bayer8_is_bayer16_at_eight_bits(bayer_picture):
    eight = (bayer_picture >> 2).astype(np.uint8)
    params = sd.waferon.Params(sensor_bpp=8, test_bpp=8)
    expected = sd.waferon.analyse(eight.astype(np.uint16), params).to_dict()
    for layout in ("contiguous", "padded rows", "bottom up", "column major"):
        assert sd.waferon.analyse(SAMPLE_LAYOUTS[layout](eight), params).to_dict() == expected, layout


def test_station_bitmap_pixels_are_the_samples(bayer_picture):
    """A Bayer frame as the stations' bitmaps hold it (first byte the top eight
    bits, second the rest) gives the findings of its samples."""
    bgra = np.zeros(bayer_picture.shape + (4,), np.uint8)
    bgra[..., 0] = bayer_picture >> 2
    bgra[..., 1] = bayer_picture & 3
    bgra[..., 3] = 77  # never read
    expected = sd.glazet.analyse(bayer_picture).to_dict()
    assert sd.glazet.analyse(bgra, channel_order="bgr").to_dict() == expected
    assert sd.glazet.analyse(np.ascontiguousarray(bgra[..., :3]), channel_order="bgr").to_dict() == expected


@pytest.mark.parametrize("library", ["waferon", "glazet", "ostrel"])
def test_colour_orders_and_layouts(library):
    rng = np.random.default_rng(3)
    rgb = rng.normal((120, 140, 90), 3, (97, 131, 3)).clip(0, 255).astype(np.uint8)
    rgb[40, 50] = (255, 0, 255)
    module = getattr(sd, library)
    params = module.Params(bayer_mode=False, **({"color_plane": 2} if library == "glazet" else {}))
    expected = module.analyse(rgb, params).to_dict()
    rgba = np.concatenate([rgb, np.full(rgb.shape[:2] + (1,), 9, np.uint8)], axis=2)
    variants = {
        "bgr": (np.ascontiguousarray(rgb[..., ::-1]), "bgr"),
        "bgr reversed view": (rgb[..., ::-1], "BGR"),
        "rgba": (rgba, "rgb"),
        "bgra bottom up": (bottom_up(np.ascontiguousarray(rgba[..., [2, 1, 0, 3]])), "bgr"),
        "rgb padded": (padded(rgb), "rgb"),
    }
    for name, (frame, order) in variants.items():
        assert module.analyse(frame, params, channel_order=order).to_dict() == expected, name


GOOD = np.zeros((40, 40), np.uint16) + 500
REFUSALS = [
    # frame, call options, exception, words of its message
    ([[1, 2], [3, 4]], {}, TypeError, "numpy array"),
    (GOOD.astype(np.float32), {}, TypeError, "dtype"),
    (GOOD.astype(np.int16), {}, TypeError, "dtype"),
    (np.zeros((40, 40, 3), np.uint16), {}, TypeError, "uint8"),
    (np.zeros((40, 40, 5), np.uint8), {}, ValueError, "shape"),
    (np.zeros(40, np.uint16), {}, ValueError, "shape"),
    (np.zeros((0, 40), np.uint16), {}, ValueError, ""),
    (GOOD, {"params": sd.waferon.Params(bayer_mode=False)}, ValueError, ""),
    (np.zeros((40, 40, 3), np.uint8), {}, ValueError, ""),
    (GOOD, {"params": sd.waferon.Params(sensor_bpp=9)}, ValueError, ""),
    (GOOD, {"params": sd.waferon.Params(hammer_size=-3)}, ValueError, ""),
    (np.zeros((40, 40, 3), np.uint8), {"channel_order": "gbr"}, ValueError, "channel_order"),
    (GOOD, {"threads": -1}, ValueError, "threads"),
    (GOOD, {"threads": 1.5}, TypeError, "threads"),
]


@pytest.mark.parametrize("frame,options,error,words", REFUSALS)
def test_refusals_carry_a_message(frame, options, error, words):
    with pytest.raises(error) as raised:
        sd.waferon.analyse(frame, **options)
    assert words in str(raised.value) and len(str(raised.value)) > 10


def test_params_keywords_repr_and_pickle():
    import pickle
    params = sd.waferon.Params(sensor_bpp=12, center_pixel_threshold=(1, 2, 3, 4, 5), local_search=False)
    assert pickle.loads(pickle.dumps(params)) == params
    assert eval(repr(params).replace("waferon.", "sd.waferon.")) == params
    assert params != sd.waferon.Params()
    with pytest.raises(TypeError, match="no field"):
        sd.waferon.Params(sensor_bits=12)
    with pytest.raises(TypeError):
        params.center_pixel_threshold = (1, 2, 3)


DTYPES = [np.uint8, np.uint16, np.int8, np.int32, np.float64, np.bool_, ">u2"]


@st.composite
def hostile_arrays(draw):
    dtype = draw(st.sampled_from(DTYPES))
    shape = tuple(draw(st.lists(st.integers(0, 9), min_size=0, max_size=4)))
    base = np.asarray(draw(st.integers(0, 4095)) * np.ones(shape), dtype=dtype)
    if base.ndim >= 2 and draw(st.booleans()):
        base = base[::-1, ::draw(st.sampled_from([1, 2, -1]))]
    if base.ndim >= 1 and base.size and draw(st.booleans()):
        base = np.broadcast_to(base[:1], (draw(st.integers(1, 9)),) + base.shape[1:])
    return base


@settings(max_examples=300, deadline=None, database=None, suppress_health_check=list(HealthCheck))
@given(frame=hostile_arrays(), library=st.sampled_from(["waferon", "glazet", "ostrel"]),
       bayer=st.booleans(), bpp=st.sampled_from([8, 10, 12, 16]), order=st.sampled_from(["rgb", "bgr"]))
def test_random_arrays_never_crash(frame, library, bayer, bpp, order):
    module = getattr(sd, library)
    params = module.Params(bayer_mode=bayer, sensor_bpp=bpp, test_bpp=min(bpp, 10))
    try:
        result = module.analyse(frame, params, channel_order=order)
    except (TypeError, ValueError) as refused:
        assert str(refused)
    else:
        assert (result.width, result.height) == (frame.shape[1], frame.shape[0])


@pytest.mark.parametrize("layout,copied", [("contiguous", False), ("padded rows", False), ("bottom up", False),
                                           ("column major", True), ("big endian", True)])
def test_only_frames_that_need_it_are_copied(layout, copied):
    import tracemalloc
    frame = SAMPLE_LAYOUTS[layout](np.full((1000, 1000), 600, np.uint16))
    tracemalloc.start()
    try:
        sd.ostrel.analyse(frame)
        peak = tracemalloc.get_traced_memory()[1]
    finally:
        tracemalloc.stop()
    assert (peak >= frame.nbytes) == copied, peak
