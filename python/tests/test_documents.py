"""Documents (.mem): kelvane.load and kelvane.save."""
import numpy as np
import pytest

import kelvane


def small_volume(size=(6, 5, 4)):
    volume = kelvane.Volume(size=size, cell=(0.5, 1.0, 2.0), origin=(1.0, -2.0, 3.0))
    ids = volume.materials
    ids[:, :, :2] = 1
    ids[2:4, 1:3, 2] = 3
    return volume


def test_volumes_come_back_as_saved(tmp_path):
    first, second = small_volume(), small_volume((3, 3, 7))
    second.materials[0, 0, :] = 5
    path = tmp_path / "two.mem"
    kelvane.save(path, [first, second])
    loaded = kelvane.load(str(path))
    assert len(loaded) == 2
    for saved, read in zip((first, second), loaded):
        assert read.size == saved.size
        assert read.cell == pytest.approx(saved.cell)
        assert read.origin == pytest.approx(saved.origin)
        np.testing.assert_array_equal(read.materials, saved.materials)
    # One volume needs no list; saving again replaces the file.
    kelvane.save(path, first)
    assert len(kelvane.load(path)) == 1


def test_unreadable_documents_raise_the_programs_messages(tmp_path):
    with pytest.raises(OSError, match=r"cannot read the document .*missing\.mem: Unable to open"):
        kelvane.load(tmp_path / "missing.mem")
    other = tmp_path / "notes.mem"
    other.write_text("<Notes/>")
    with pytest.raises(ValueError, match="is not a Kelvane document"):
        kelvane.load(other)
    broken = tmp_path / "broken.mem"
    kelvane.save(broken, small_volume())
    text = broken.read_text()
    broken.write_text(text[: len(text) // 2])
    with pytest.raises(ValueError, match="Unable to read a document"):
        kelvane.load(broken)
    assert broken.read_text() == text[: len(text) // 2]


def test_refused_saves_leave_the_existing_file(tmp_path):
    path = tmp_path / "kept.mem"
    kelvane.save(path, small_volume())
    before = path.read_bytes()
    with pytest.raises(TypeError, match="takes a Volume or a list of Volume"):
        kelvane.save(path, [small_volume(), "not a volume"])
    with pytest.raises(TypeError, match="a file name must be a str or a path"):
        kelvane.save(3, small_volume())
    with pytest.raises(OSError, match="cannot write the document"):
        kelvane.save(tmp_path / "no such folder" / "x.mem", small_volume())
    folder = tmp_path / "folder.mem"
    folder.mkdir()
    with pytest.raises(OSError, match="cannot write the document"):
        kelvane.save(folder, small_volume())
    assert path.read_bytes() == before
