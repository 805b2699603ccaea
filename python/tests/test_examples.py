"""The Python examples: each runs as a script (small sizes) and writes what it says, and
the flows written in Python are the example lists' flows."""
import os
import subprocess
import sys

import numpy as np
import pytest

from kelvanetest import examples_dir, run_module  # before kelvane: see there
import kelvane  # noqa: E402

PYTHON_EXAMPLES = examples_dir() / "python"


def run_example(name, *arguments, cwd):
    environment = dict(os.environ, PYTHONPATH=os.pathsep.join(p for p in sys.path if p))
    finished = subprocess.run([sys.executable, str(PYTHON_EXAMPLES / name), *map(str, arguments)], cwd=cwd,
                              env=environment, capture_output=True, text=True, timeout=600)
    assert finished.returncode == 0, finished.stderr
    return finished.stdout


@pytest.fixture
def examples_importable(monkeypatch):
    # Imported from the source tree, which is installed as it is: no byte code beside them.
    monkeypatch.setattr(sys, "dont_write_bytecode", True)
    monkeypatch.syspath_prepend(str(PYTHON_EXAMPLES))


@pytest.mark.parametrize("script, flow, plst", [("wet_etch", "wet_etch_flow", "wet-etch.plst"),
                                                ("lithography", "lithography_flow", "lithography.plst")])
def test_python_flows_are_the_example_lists(script, flow, plst, examples_importable, tmp_path):
    module = __import__(script)
    ours = getattr(module, flow)().run()
    theirs, _ = run_module(examples_dir() / plst, tmp_path)
    assert ours.size == theirs.size
    np.testing.assert_array_equal(ours.materials, theirs.materials)


def test_wet_etch_script(tmp_path):
    out = run_example("wet_etch.py", "--size", 30, "--depth", 6, "--output-dir", tmp_path / "out", cwd=tmp_path)
    assert "[7/7] Si wet etching" in out
    assert "pit depth: 6 cells" in out
    volume, = kelvane.load(tmp_path / "out" / "wet-etch.mem")
    assert volume.size == (30, 30, 40)
    assert (tmp_path / "out" / "wet-etch-section.png").stat().st_size > 0


def test_lithography_script(tmp_path):
    out = run_example("lithography.py", "--size", 50, "--output-dir", tmp_path, cwd=tmp_path)
    etched = int(out.split("silicon cells etched:")[1])
    volume, = kelvane.load(tmp_path / "lithography.mem")
    # The etch went through the ring's and the square's openings only: the silicon under
    # the resist's outer part (the substrate's corner) is whole.
    assert etched > 0
    assert (volume.materials[26:30, 26:30, :20] == 1).all()
    assert sorted(p.name for p in tmp_path.glob("lithography-*")) == [
        "lithography-Photoresist.stl", "lithography-Si.stl", "lithography-section.png"]


def test_thickness_sweep_script(tmp_path):
    out = run_example("thickness_sweep.py", "--width", 8, "--depth", 12, "--thicknesses", 1, 2, 6,
                      "--output", tmp_path / "sweep.png", cwd=tmp_path)
    cvd = out.split("CVD\n")[1].split("anisotropic")[0].splitlines()[1:]
    coverage = [float(line.split()[3]) for line in cvd]
    # CVD grows alike on top and on the walls until the trench closes at half its width.
    assert coverage[:2] == [1.0, 1.0] and coverage[2] == pytest.approx(4 / 6, abs=1e-3)
    image = (tmp_path / "sweep.png").read_bytes()
    assert image.startswith(b"\x89PNG")
