"""kelvane.measure: the batch program's measurements on a volume, with their refusals."""
import numpy as np
import pytest

import kelvane


def trench():
    """Silicon below z = 10 with a trench x in [4, 8) from z = 6, under a 2-cell Poly-Si film on top."""
    volume = kelvane.Volume(size=(12, 3, 16))
    m = volume.materials
    m[:, :, :10] = 1
    m[4:8, :, 6:10] = 0
    m[:4, :, 10:12] = 16
    m[8:, :, 10:12] = 16
    return volume


def test_measurements_of_a_trench_in_model_units_and_micrometres():
    volume = trench()
    assert kelvane.measure(volume, "thickness", material="Poly-Si", x=1) == 2.0
    assert kelvane.measure(volume, "thickness", material=16, x=1, micrometres_per_unit=0.5) == 1.0
    assert kelvane.measure(volume, "critical_dimension", material="empty", position=1, at=5, z=8) == 4.0
    assert kelvane.measure(volume, "etch_depth", reference=10) == 4.0
    assert kelvane.measure(volume, "sidewall_angle", position=1, at=5, z0=6, z1=9) == pytest.approx(90.0)
    assert kelvane.measure(volume, "cell_count", material="Si") == np.count_nonzero(volume.materials == 1)
    assert "junction_depth" in kelvane.measurement_types()
    assert "sidewall_angle" in kelvane.measure.__doc__


def test_measurements_that_cannot_be_taken_or_are_refused():
    volume = trench()
    with pytest.warns(UserWarning, match="no Poly-Si on the z line through \\(5, 0, 0\\)"):
        assert kelvane.measure(volume, "thickness", material="Poly-Si", x=5) is None
    for call, error, text in [
        (dict(type="depth"), ValueError, "unknown measurement 'depth'"),
        (dict(type="thickness"), ValueError, "thickness needs the parameter 'material'"),
        (dict(type="thickness", material=1, colour=2), ValueError, "has no parameter 'colour'"),
        (dict(type="thickness", material=1, axis="w"), ValueError, "must be one of z, x, y"),
        (dict(type="thickness", material=1, x=-1), ValueError, "must be a cell index"),
        (dict(type="thickness", material=[1]), TypeError, "not a list"),
    ]:
        with pytest.raises(error, match=text):
            kelvane.measure(volume, **call)
