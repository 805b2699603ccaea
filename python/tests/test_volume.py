"""kelvane.Volume: the material view, particle-count fields, masks and checked ids."""

import numpy as np
import pytest

import kelvane


def slab(size=(12, 10, 8), layers=3, material=1):
    volume = kelvane.Volume(size=size)
    volume.materials[:, :, :layers] = material
    return volume


def test_volume_describes_itself_and_refuses_impossible_sizes():
    volume = kelvane.Volume(size=(4, 5, 6), cell=(0.5, 1.0, 2.0), origin=(1.0, 2.0, 3.0))
    assert volume.size == (4, 5, 6)
    assert volume.cell == (0.5, 1.0, 2.0)
    assert volume.origin == (1.0, 2.0, 3.0)
    assert repr(volume) == "kelvane.Volume(size=(4, 5, 6), cell=(0.5, 1.0, 2.0), origin=(1.0, 2.0, 3.0))"
    with pytest.raises(ValueError, match="at least one cell"):
        kelvane.Volume(size=(4, 0, 6))
    with pytest.raises(ValueError, match="positive"):
        kelvane.Volume(size=(4, 4, 4), cell=(1.0, 0.0, 1.0))


def test_materials_is_a_view_the_processes_see():
    volume = kelvane.Volume(size=(6, 5, 4))
    view = volume.materials
    assert view.shape == (6, 5, 4) and view.dtype == np.uint32
    assert not view.flags.owndata
    view[2, 3, 1] = 1
    # A second view shows the write: both are the cells themselves.
    assert volume.materials[2, 3, 1] == 1
    assert np.shares_memory(view, volume.materials)
    # The deposition grows on the cell written through the view: a 1-cell film around it.
    kelvane.cvd(volume, material="Poly-Si", thickness=1)
    poly = kelvane.Volume(size=(1, 1, 1))
    ids = {m["name"]: m["id"] for m in kelvane.material_catalogue()}
    assert view[2, 3, 2] == ids["Poly-Si"]
    assert view[2, 3, 1] == 1
    del poly


def test_view_keeps_its_volume_alive():
    view = kelvane.Volume(size=(3, 3, 3)).materials
    view[:] = 1
    assert int(view.sum()) == 27


def test_ids_written_outside_the_catalogue_stop_the_next_process():
    volume = slab()
    view = volume.materials
    view[4, 5, 6] = 999999
    before = view.copy()
    with pytest.raises(ValueError, match=r"\[4, 5, 6\] holds material id 999999"):
        kelvane.cvd(volume, material=1, thickness=2)
    # Nothing ran.
    assert np.array_equal(view, before)
    view[4, 5, 6] = 0
    kelvane.cvd(volume, material=1, thickness=2)
    # The check also holds once the view is gone.
    volume.materials[0, 0, 7] = 424242
    with pytest.raises(ValueError, match="424242"):
        kelvane.cvd(volume, material=1, thickness=2)


def test_masks_are_bool_arrays_that_can_be_set_and_cleared():
    volume = kelvane.Volume(size=(6, 4, 5))
    assert volume.top_mask is None and volume.bottom_mask is None
    mask = np.zeros((6, 4), dtype=bool)
    mask[1:3, 2] = True
    volume.top_mask = mask
    assert np.array_equal(volume.top_mask, mask)
    volume.bottom_mask = mask.astype(np.uint8)
    assert volume.bottom_mask.dtype == bool and np.array_equal(volume.bottom_mask, mask)
    volume.top_mask = None
    assert volume.top_mask is None
    with pytest.raises(TypeError, match="2-D array of bools"):
        volume.top_mask = np.zeros((6, 4), dtype=float)
    with pytest.raises(ValueError, match="2-D array of bools"):
        volume.top_mask = np.zeros(6, dtype=bool)


def test_particle_count_fields_are_views_of_the_counts():
    volume = slab(size=(8, 8, 10), layers=6)
    assert volume.fields == []
    with pytest.raises(ValueError, match="no particle-count field"):
        volume.field("N")
    kelvane.random_walk_doping(volume, material="N-doped Si (100)", surface_concentration=1e25,
                               doping_threshold=1e24, doping_time=3000.0)
    names = volume.fields
    assert len(names) == 1
    counts = volume.field(names[0])
    assert counts.dtype == np.int32 and counts.shape == (8, 8, 10, 7)
    assert counts[:, :, 5].sum() > 0
    counts[0, 0, 0, 0] = 12345
    assert volume.field(names[0])[0, 0, 0, 0] == 12345
