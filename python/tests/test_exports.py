"""Exports from Python: the same files kelvane-batch writes, and cross-section pictures."""
import matplotlib.image
import numpy as np
import pytest

from kelvanetest import example_lists, run_batch, run_module  # before kelvane: see there
import kelvane  # noqa: E402


def example(name):
    return next(p for p in example_lists() if p.name == name)


@pytest.fixture(scope="module")
def cantilever(tmp_path_factory):
    """The cantilever example run by the batch program with every export it offers, and by
    the module."""
    folder = tmp_path_factory.mktemp("cantilever")
    batch = run_batch(example("cantilever.plst"), "--export", "b.vti", "--netlist", "b.cir", "--section", "y=30",
                      "--section-image", "b.png", cwd=folder)
    assert batch.returncode in (0, 1), batch.stderr
    stl = run_batch(example("cantilever.plst"), "--export", "b.stl", "--per-material", cwd=folder)
    assert stl.returncode in (0, 1), stl.stderr
    volume, _ = run_module(example("cantilever.plst"), folder)
    return folder, volume


def test_files_are_the_batch_programs(cantilever):
    folder, volume = cantilever
    assert volume.export_vti(folder / "m.vti") == [str(folder / "m.vti")]
    assert (folder / "m.vti").read_bytes() == (folder / "b.vti").read_bytes()
    written = volume.export_stl(str(folder / "m.stl"), per_material=True)
    assert len(written) >= 2
    for name in written:
        batch_name = name.replace("/m-", "/b-")
        assert open(name, "rb").read() == open(batch_name, "rb").read(), name
    volume.export_netlist(folder / "m.cir")
    assert (folder / "m.cir").read_text() == (folder / "b.cir").read_text()
    volume.export_cross_section(folder / "m.png", "y", 30)
    assert (folder / "m.png").read_bytes() == (folder / "b.png").read_bytes()


def test_cross_section_is_the_picture_written(cantilever):
    folder, volume = cantilever
    pixels = kelvane.cross_section(volume, "y", 30)
    assert pixels.dtype == np.uint8 and pixels.ndim == 3 and pixels.shape[2] == 3
    written = matplotlib.image.imread(folder / "b.png")
    np.testing.assert_array_equal(pixels, np.rint(written[:, :, :3] * 255).astype(np.uint8))
    np.testing.assert_array_equal(kelvane.cross_section(volume, 1, 30), pixels)
    # Another plane is another picture.
    assert not np.array_equal(kelvane.cross_section(volume, "x", 10), pixels)


def test_particle_counts_are_written_as_the_batch_program_writes_them(tmp_path):
    # The walk is seeded from the clock, so the counts of two runs differ; the file's
    # layout does not.
    batch = run_batch(example("random-walk.plst"), "--csv", "b.csv", cwd=tmp_path)
    assert batch.returncode in (0, 1), batch.stderr
    volume, _ = run_module(example("random-walk.plst"), tmp_path)
    volume.export_csv(tmp_path / "m.csv")
    ours = (tmp_path / "m.csv").read_text().splitlines()
    theirs = (tmp_path / "b.csv").read_text().splitlines()
    assert len(ours) == len(theirs) > 1
    for mine, batch_line in zip(ours, theirs):
        if batch_line.startswith("X:"):
            assert mine == batch_line
        else:
            assert len(mine.split(";")) == len(batch_line.split(";"))
    assert any(float(v) > 0 for line in ours if not line.startswith("X:") for v in line.split(";"))
    with pytest.raises(RuntimeError, match='"Nothing" is not a particle-count field'):
        volume.export_csv(tmp_path / "x.csv", field="Nothing")


def test_bad_exports_raise_and_leave_files_alone(tmp_path):
    volume = kelvane.Volume(size=(4, 5, 6))
    volume.materials[:, :, :2] = 1
    kept = tmp_path / "kept.stl"
    kept.write_text("kept")
    with pytest.raises(ValueError, match="suffix .vti"):
        volume.export_vti(kept)
    with pytest.raises(ValueError, match="suffix .stl"):
        volume.export_stl(tmp_path / "kept.vti")
    with pytest.raises(ValueError, match="cannot write the section image"):
        volume.export_cross_section(tmp_path / "kept.nothing", "x", 1)
    assert kept.read_text() == "kept"
    with pytest.raises(OSError, match="cannot write the 3-D export"):
        volume.export_vti(tmp_path / "no such folder" / "x.vti")
    with pytest.raises(ValueError, match=r"z = 6 lies outside the volume, whose cells along z are 0 to 5"):
        kelvane.cross_section(volume, "z", 6)
    with pytest.raises(ValueError, match="lies outside"):
        kelvane.cross_section(volume, "x", -1)
    with pytest.raises(ValueError, match='"x", "y" or "z"'):
        kelvane.cross_section(volume, "w", 0)
    with pytest.raises(ValueError, match='"x", "y" or "z"'):
        kelvane.cross_section(volume, 3, 0)
    with pytest.raises(TypeError, match='"x", "y" or "z"'):
        kelvane.cross_section(volume, 1.0, 0)
    with pytest.raises(RuntimeError, match="free-standing beam"):
        volume.export_netlist(tmp_path / "x.cir")
    with pytest.raises(ValueError, match="positive number"):
        volume.export_netlist(tmp_path / "x.cir", micrometres_per_unit=0)
    with pytest.raises(RuntimeError, match="holds no particle counts"):
        volume.export_csv(tmp_path / "x.csv")
    assert sorted(p.name for p in tmp_path.iterdir()) == ["kept.stl"]
