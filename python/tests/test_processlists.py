"""Process lists: kelvane.ProcessList loaded, edited, saved and run as kelvane-batch runs them."""
import numpy as np
import pytest

from kelvanetest import batch_error, example_lists, run_batch, run_module  # before kelvane: see there
import kelvane  # noqa: E402

# Random-walk doping is seeded from the clock (in seconds), so two runs of a list with a
# random-walk step agree cell for cell only when they happen to start in the same second.
# Their cells are compared where the walk cannot reach (every cell that is neither silicon
# nor doped silicon), and the silicon and doped silicon cells together.
WALKED = (1, 14, 15)


def walks(list_path):
    return any(step.type == 19 for step in kelvane.ProcessList.load(list_path).steps)


@pytest.mark.parametrize("list_path", example_lists(), ids=lambda p: p.name)
def test_example_lists_give_the_batch_programs_cells(list_path, tmp_path):
    # Both run in the same folder, where Save Image steps write their pictures: without a
    # display neither can draw them, and both stop at that step, with the cells kept.
    batch = run_batch(list_path, "--output", tmp_path / "batch.mem", cwd=tmp_path)
    assert batch.returncode in (0, 1), batch.stderr
    volume, failure = run_module(list_path, tmp_path)
    assert (failure is None) == (batch.returncode == 0), (failure, batch.stderr)
    if failure:
        assert "Save Image" in failure and "Save Image failed" in batch.stderr
    expected = kelvane.load(tmp_path / "batch.mem")
    assert len(expected) == 1
    assert volume.size == expected[0].size
    assert volume.cell == expected[0].cell
    assert volume.origin == expected[0].origin
    ours, theirs = volume.materials, expected[0].materials
    if walks(list_path):
        walked = np.isin(theirs, WALKED)
        np.testing.assert_array_equal(np.isin(ours, WALKED), walked)
        np.testing.assert_array_equal(ours[~walked], theirs[~walked])
    else:
        np.testing.assert_array_equal(ours, theirs)
        kelvane.save(tmp_path / "module.mem", volume)
        assert (tmp_path / "module.mem").read_bytes() == (tmp_path / "batch.mem").read_bytes()


def films():
    return next(p for p in example_lists() if p.name == "films.plst")


def test_steps_show_their_types_names_and_values():
    steps = kelvane.ProcessList.load(films()).steps
    assert [s.name for s in steps[:4]] == ["Create Substrate", "Isotropic Deposition", "Moore etching", "CVD"]
    cvd = steps[3]
    assert cvd.type == 4 and cvd.index == 3
    assert dict(cvd.parameters.items()) == {"Material_Id": 16, "Thickness": 1.0}
    assert steps[0].parameters["Lower Left Front Corner"] == (0.0, 0.0, 0.0)
    assert steps[0].parameters["SphericalSubstrate"] is False
    assert "Thickness" in cvd.parameters and "Depth" not in cvd.parameters
    with pytest.raises(KeyError):
        cvd.parameters["Depth"]


def test_edited_values_run_as_set_runs_them(tmp_path, monkeypatch):
    monkeypatch.chdir(tmp_path)
    flow = kelvane.ProcessList.load(films())
    flow[3].parameters["Thickness"] = 3
    flow[3].parameters["Material"] = "Poly-Si"
    assert flow[3].parameters["Thickness"] == 3
    volume, _ = run_module_list(flow)
    batch = run_batch(films(), "--set", "4.Thickness=3", "--set", "4.Material=Poly-Si", "--output",
                      tmp_path / "b.mem", cwd=tmp_path)
    np.testing.assert_array_equal(volume.materials, kelvane.load(tmp_path / "b.mem")[0].materials)
    # The values were taken into the list: they are what it holds now, and what it saves.
    assert flow[3].parameters["Thickness"] == 3.0
    flow.save(tmp_path / "edited.plst")
    assert kelvane.ProcessList.load(tmp_path / "edited.plst")[3].parameters["Thickness"] == 3.0
    assert batch.returncode in (0, 1)


def run_module_list(flow, volume=None):
    try:
        return flow.run(volume), None
    except RuntimeError as error:
        return error.volume, str(error)


@pytest.mark.parametrize("setting", [("4", "Thickness", -2, "-2"), ("4", "Thicknes", 2, "2"),
                                     ("4", "Material", "Unobtainium", "Unobtainium"),
                                     ("4", "Material_Id", 9999, "9999")])
def test_refused_values_raise_the_set_options_text(setting, tmp_path):
    step, name, value, text = setting
    flow = kelvane.ProcessList.load(films())
    flow[int(step) - 1].parameters[name] = value
    batch = run_batch(films(), "--set", f"{step}.{name}={text}", cwd=tmp_path)
    assert batch.returncode == 2
    with pytest.raises(ValueError) as refused:
        flow.run()
    assert str(refused.value) == batch_error(batch)
    with pytest.raises(ValueError):
        flow.save(tmp_path / "refused.plst")
    assert not (tmp_path / "refused.plst").exists()


def test_values_of_the_wrong_type_are_refused_when_set():
    flow = kelvane.ProcessList.load(films())
    parameters = flow[3].parameters
    with pytest.raises(TypeError, match=r'step 4 \(CVD\): "Thickness" takes a number, not a str'):
        parameters["Thickness"] = "thick"
    with pytest.raises(TypeError, match="takes a number"):
        parameters["Thickness"] = True
    with pytest.raises(TypeError, match="a material's name or id"):
        parameters["Material"] = 1.5
    with pytest.raises(TypeError, match=r"a point \(x, y, z\)"):
        flow[0].parameters["Lower Left Front Corner"] = (1, 2)
    with pytest.raises(TypeError, match="True or False"):
        flow[0].parameters["SphericalSubstrate"] = 1
    assert parameters["Thickness"] == 1.0


def write_list(path, steps):
    """A process list file of (type, [(name, type, data)]) steps."""
    body = "".join(
        f'<Process-Data process-type="{kind}">'
        + "".join(f'<Parameter parameter-name="{n}" parameter-type="{t}" parameter-data="{d}" '
                  f'parameter-visibility="true"/>' for n, t, d in parameters)
        + "</Process-Data>" for kind, parameters in steps)
    path.write_text(f'<?xml version="1.0"?><Process-List version="1"><Materials/>{body}</Process-List>')
    return path


CVD_STEP = (4, [("Material_Id", "uint", "16"), ("Thickness", "float", "2")])


def test_a_list_runs_on_the_volume_given(tmp_path):
    volume = kelvane.Volume(size=(8, 8, 10))
    volume.materials[:, :, :4] = 1
    before = volume.materials.copy()
    returned = kelvane.ProcessList.load(write_list(tmp_path / "cvd.plst", [CVD_STEP])).run(volume)
    assert returned is volume
    grown = (volume.materials == 16) & (before == 0)
    assert grown[:, :, 4:6].all() and not grown[:, :, 6:].any()
    # Without a volume and without a Create Substrate step there is nothing to work on.
    with pytest.raises(RuntimeError, match="step 1 \\(CVD\\): Missing Cell Volume"):
        kelvane.ProcessList.load(tmp_path / "cvd.plst").run()


def test_a_refused_run_leaves_the_volume_as_it_was(tmp_path):
    volume = kelvane.Volume(size=(8, 8, 10))
    volume.materials[:, :, :4] = 1
    before = volume.materials.copy()
    flow = kelvane.ProcessList.load(write_list(tmp_path / "cvd.plst", [CVD_STEP, CVD_STEP]))
    flow[1].parameters["Thickness"] = -1
    with pytest.raises(ValueError, match="step 2 \\(CVD\\) does not take this value"):
        flow.run(volume)
    np.testing.assert_array_equal(volume.materials, before)
    # Ids written by hand are checked before the list runs, as before a process.
    volume.materials[0, 0, 0] = 999999
    with pytest.raises(ValueError, match="999999"):
        kelvane.ProcessList.load(tmp_path / "cvd.plst").run(volume)
    before[0, 0, 0] = 999999
    np.testing.assert_array_equal(volume.materials, before)


def test_on_step_hears_every_step_and_its_exception_stops_the_run(tmp_path):
    flow = kelvane.ProcessList.load(write_list(tmp_path / "cvd.plst", [CVD_STEP] * 3))
    volume = kelvane.Volume(size=(6, 6, 12))
    volume.materials[:, :, :2] = 1
    heard = []
    flow.run(volume, on_step=lambda index, step, v: heard.append((index, step.name, v is volume,
                                                               int((v.materials == 16).sum()))))
    assert [h[:3] for h in heard] == [(0, "CVD", True), (1, "CVD", True), (2, "CVD", True)]
    assert heard[0][3] < heard[1][3] < heard[2][3]

    class Stop(Exception):
        pass

    def stop_after_first(index, step, v):
        heard.append(index)
        raise Stop("enough")

    heard.clear()
    grown = int((volume.materials == 16).sum())
    with pytest.raises(Stop, match="enough"):
        flow.run(volume, on_step=stop_after_first)
    assert heard == [0]
    assert grown < int((volume.materials == 16).sum())
    with pytest.raises(TypeError, match="on_step must be callable"):
        flow.run(volume, on_step=3)


def test_unreadable_lists_raise(tmp_path):
    with pytest.raises(OSError, match="there is no such file"):
        kelvane.ProcessList.load(tmp_path / "missing.plst")
    (tmp_path / "notes.plst").write_text("<Notes/>")
    with pytest.raises(ValueError, match="cannot read the process list"):
        kelvane.ProcessList.load(tmp_path / "notes.plst")
    flow = kelvane.ProcessList.load(films())
    with pytest.raises(OSError, match="cannot write the process list"):
        flow.save(tmp_path / "no such folder" / "x.plst")
    with pytest.raises(IndexError):
        flow[len(flow)]


def test_lists_built_in_python_take_the_descriptors_names_and_defaults(tmp_path):
    flow = kelvane.ProcessList()
    flow.append("Create Substrate", material="Si", volume_size_x=10, volume_size_y=8, volume_size_z=12,
                **{"Substrate Size X": 10, "Substrate Size Y": 8, "Substrate Size Z": 4})
    flow.append(4, material=16, thickness=2)
    mask = np.ones((10, 8), dtype=bool)
    mask[2:5, 3:6] = False
    flow.append("Photolithography", material="Photoresist +", top_mask=mask)
    assert [s.name for s in flow.steps] == ["Create Substrate", "CVD", "Photolithography"]
    # Every field starts at its dialog's default, the given values are set on top.
    assert flow[0].parameters["SphericalSubstrate"] is False
    assert flow[0].parameters["Volume Size X"] == 10
    assert flow[2].parameters["Top Mask Width"] == 10 and flow[2].parameters["Top Mask Height"] == 8
    assert flow[2].parameters["Top Mask"] == "".join("1" if b else "0" for b in mask.ravel())
    volume = flow.run()
    assert volume.size == (10, 8, 12)
    assert (volume.materials[:, :, :4] == 1).all() and (volume.materials[:, :, 4:6] == 16).all()
    flow.save(tmp_path / "built.plst")
    again = kelvane.ProcessList.load(tmp_path / "built.plst").run()
    np.testing.assert_array_equal(again.materials, volume.materials)


def test_lists_built_in_python_refuse_bad_steps():
    flow = kelvane.ProcessList()
    with pytest.raises(ValueError, match='no process of a list is named "Sputtering"; the processes are .*"CVD" \\(4\\)'):
        flow.append("Sputtering")
    with pytest.raises(ValueError, match="no process of a list has the type 99"):
        flow.append(99)
    with pytest.raises(TypeError, match="by its name or type number"):
        flow.append(4.0)
    with pytest.raises(TypeError, match='step 1 \\(CVD\\): "Thickness" takes a number, not a list'):
        flow.append("CVD", thickness=[1])
    assert len(flow) == 0
    flow.append("CVD", material="Poly-Si", thickness=-1, colour=3)
    with pytest.raises(ValueError, match='--set "1.colour=3": step 1 \\(CVD\\) reads no parameter "colour"'):
        flow.run(kelvane.Volume(size=(4, 4, 4)))
