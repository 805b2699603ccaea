"""kelvane-sweep: a full-factorial sweep run here, the same sweep through the emitted GNU
Parallel script, the Slurm script, and sweeps refused before anything runs."""
import csv
import json
import os
import pathlib
import shutil
import subprocess
import sys

import pytest

from kelvanetest import batch_exe  # before kelvane: see there
import kelvane  # noqa: E402

SWEEP = pathlib.Path(__file__).resolve().parents[1] / "kelvane_sweep.py"


def sweep(*arguments, cwd):
    environment = dict(os.environ, KELVANE_BATCH_EXE=batch_exe())
    return subprocess.run([sys.executable, str(SWEEP), *map(str, arguments)], cwd=cwd, env=environment,
                          capture_output=True, text=True, timeout=600)


@pytest.fixture
def film_list(tmp_path):
    """Four layers of Si in a 12 x 12 x 16 volume under a CVD film, and a measurement of it."""
    flow = kelvane.ProcessList()
    flow.append("Create Substrate", material="Si", volume_size_x=12, volume_size_y=12, volume_size_z=16,
                substrate_size_x=12, substrate_size_y=12, substrate_size_z=4)
    flow.append("CVD", material="Thermal Si02", thickness=1)
    flow.save(tmp_path / "film.plst")
    (tmp_path / "measure.json").write_text(json.dumps({"micrometres_per_unit": 0.5, "measurements": [
        {"name": "film", "type": "thickness", "material": "Thermal Si02", "x": 6, "y": 6}]}))
    return tmp_path / "film.plst"


def results(folder):
    with open(folder / "results.csv", newline="") as file:
        return list(csv.reader(file))


def test_a_full_factorial_sweep_run_here_and_through_gnu_parallel(film_list, tmp_path):
    arguments = [film_list, "--measure", tmp_path / "measure.json", "--vary", "2.Thickness=1:3:1",
                 "--vary", "2.Material=Thermal Si02,Poly-Si", "--section", "y=6"]
    here = sweep(*arguments, "--jobs", 2, "--out", "here", cwd=tmp_path)
    assert here.returncode == 0, here.stderr
    table = results(tmp_path / "here")
    assert table[0] == ["row", "2.Thickness", "2.Material", "film", "film_um"]
    # An oxide film is as thick as asked; a Poly-Si film has no oxide to measure.
    assert table[1:] == [["0", "1", "Thermal Si02", "1", "0.5"], ["1", "1", "Poly-Si", "", ""],
                         ["2", "2", "Thermal Si02", "2", "1"], ["3", "2", "Poly-Si", "", ""],
                         ["4", "3", "Thermal Si02", "3", "1.5"], ["5", "3", "Poly-Si", "", ""]]
    for picture in ["contact-sheet.png", "plot-film.png", "plot-film_um.png"]:
        assert (tmp_path / "here" / picture).stat().st_size > 1000

    if not shutil.which("parallel"):
        pytest.fail("GNU Parallel (Debian's package parallel) is not installed")
    emitted = sweep(*arguments, "--emit", "parallel", "--out", "there", cwd=tmp_path)
    assert emitted.returncode == 0, emitted.stderr
    assert "parallel --will-cite" in emitted.stdout
    assert not (tmp_path / "there" / "results.csv").exists()
    ran = subprocess.run(["bash", tmp_path / "there" / "parallel.sh"], cwd=tmp_path, capture_output=True, text=True,
                         env=dict(os.environ, KELVANE_BATCH_EXE=batch_exe()), timeout=600)
    assert ran.returncode == 0, ran.stderr
    assert results(tmp_path / "there") == table


def test_the_slurm_script_runs_every_row_as_an_array_task(film_list, tmp_path):
    table = tmp_path / "rows.csv"
    table.write_text("2.Thickness\n1\n2.5\n")
    emitted = sweep(film_list, "--measure", tmp_path / "measure.json", "--table", table, "--emit", "slurm",
                    "--out", "slurm", cwd=tmp_path)
    assert emitted.returncode == 0, emitted.stderr
    script = (tmp_path / "slurm" / "sweep.sbatch").read_text()
    assert "#SBATCH --array=0-1" in script and '--row "$SLURM_ARRAY_TASK_ID"' in script
    assert emitted.stdout.startswith("sbatch --wait")
    # A task runs its row as the array would.
    assert sweep("--row", 1, tmp_path / "slurm", cwd=tmp_path).returncode == 0
    assert sweep("--gather", tmp_path / "slurm", cwd=tmp_path).returncode == 1  # row 0 not run yet
    # A film of 2.5 grows whole cells: 2.
    assert results(tmp_path / "slurm")[2][:3] == ["1", "2.5", "2"]


@pytest.mark.parametrize("arguments, message", [
    (["--vary", "2.Thickness=3:1:1"], "needs a positive STEP and STOP not below START"),
    (["--vary", "2.Thickness=a:b"], "START:STOP:STEP with three numbers"),
    (["--vary", "2.Colour=1,2"], "row 0: --set \"2.Colour=1\": step 2 (CVD) reads no parameter \"Colour\""),
    (["--vary", "2.Thickness=-1,2"], "does not take this value"),
    (["--vary", "7.Thickness=1"], "the list has steps 1 to 2"),
    ([], "give the rows either as --table or as --vary ranges"),
])
def test_sweeps_refused_before_anything_runs(film_list, tmp_path, arguments, message):
    refused = sweep(film_list, "--measure", tmp_path / "measure.json", *arguments, "--out", "refused", cwd=tmp_path)
    assert refused.returncode == 2
    assert message in refused.stderr
    assert not list((tmp_path / "refused").glob("row-*"))
