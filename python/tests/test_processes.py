"""The process functions: keywords from the registry, the checks --set makes, threads."""

import os
import subprocess
import threading

import numpy as np
import pytest

import kelvane

EXAMPLES = os.environ.get("KELVANE_EXAMPLES_DIR", "")
BATCH = os.environ.get("KELVANE_BATCH_EXE", "")


def slab(size=(16, 16, 20), layers=5, material=1):
    volume = kelvane.Volume(size=size)
    volume.materials[:, :, :layers] = material
    return volume


def material_id(name):
    return next(m["id"] for m in kelvane.material_catalogue() if m["name"] == name)


def test_catalogue_names_ids_and_colours():
    catalogue = kelvane.material_catalogue()
    by_id = {m["id"]: m for m in catalogue}
    assert by_id[1]["name"] == "Si"
    assert all(len(m["color"]) == 4 and all(0.0 <= c <= 1.0 for c in m["color"]) for m in catalogue)
    assert 0 not in by_id


def test_every_menu_process_is_a_documented_function():
    names = kelvane.process_names()
    assert {"cvd", "wet_etch", "wet_etch_cca", "isotropic_etching", "photolithography",
            "random_walk_doping"} <= set(names)
    assert len(names) == len(set(names))
    for name in names:
        doc = getattr(kelvane, name).__doc__
        assert doc.startswith(name + "(volume, *")
        # Every keyword a Python name, none twice.
        keywords = [k.split("=")[0] for k in doc.split("\n")[0][len(name) + 1:-1].split(", ")[2:]]
        assert all(k.isidentifier() for k in keywords) and len(keywords) == len(set(keywords)), doc
    assert "thickness=10.0" in kelvane.cvd.__doc__
    assert "the thickness or depth must be a number of 0 or more" in kelvane.cvd.__doc__
    assert "(100) plane" in kelvane.wet_etch.__doc__


def test_cvd_on_a_flat_slab_grows_a_film_of_the_thickness():
    volume = slab()
    kelvane.cvd(volume, material="Poly-Si", thickness=3)
    cells = volume.materials
    poly = material_id("Poly-Si")
    assert np.all(cells[:, :, :5] == 1)
    assert np.all(cells[:, :, 5:8] == poly)
    assert np.all(cells[:, :, 8:] == 0)
    # By id, by list name and by menu text through run(): the same cells.
    for how in (lambda v: kelvane.cvd(v, material=poly, thickness=3),
                lambda v: kelvane.run(v, "CVD", material="Poly-Si", thickness=3),
                lambda v: kelvane.run(v, "isotropic_deposition", material=poly, thickness=3)):
        other = slab()
        how(other)
        assert np.array_equal(other.materials, cells)


def test_omitted_keywords_take_the_defaults():
    volume = slab(size=(8, 8, 30))
    kelvane.cvd(volume, material=1)
    # The default thickness is 10 cells.
    assert np.all(volume.materials[:, :, :15] == 1) and np.all(volume.materials[:, :, 15:] == 0)
    kelvane.wet_etch(volume, depth=3)
    kelvane.simple_rie(volume, material=1, depth=2)


def test_photolithography_uses_the_volumes_own_mask_when_given_none():
    resist = material_id("Photoresist +")
    mask = np.zeros((8, 8), dtype=bool)
    mask[:4] = True
    given = slab(size=(8, 8, 10), layers=4, material=resist)
    kelvane.photolithography(given, material=resist, top_mask=mask)
    own = slab(size=(8, 8, 10), layers=4, material=resist)
    own.top_mask = mask
    kelvane.photolithography(own, material=resist)
    assert np.array_equal(given.materials, own.materials)
    assert not np.array_equal(given.materials, slab(size=(8, 8, 10), layers=4, material=resist).materials)


def batch_message(option):
    """The error kelvane-batch prints for one --set of step 4 (CVD) of the films example."""
    result = subprocess.run([BATCH, os.path.join(EXAMPLES, "films.plst"), "--set", option],
                            capture_output=True, text=True, check=False)
    assert result.returncode == 2
    return next(l for l in result.stderr.splitlines() if "--set" in l)


@pytest.mark.skipif(not BATCH or not EXAMPLES, reason="needs KELVANE_BATCH_EXE and KELVANE_EXAMPLES_DIR")
def test_refusals_read_as_the_batch_programs():
    volume = slab()
    with pytest.raises(ValueError) as refused:
        kelvane.cvd(volume, material=1, thickness=-1)
    assert str(refused.value) == "kelvane.cvd (CVD) " + batch_message("4.Thickness=-1").split("step 4 (CVD) ")[1]
    with pytest.raises(ValueError) as refused:
        kelvane.cvd(volume, material="Unobtainium", thickness=1)
    assert (str(refused.value).split("(CVD): ")[1] ==
            batch_message("4.Material=Unobtainium").split("(CVD): ")[1])


def test_bad_calls_raise_clear_errors_and_change_nothing():
    volume = slab()
    before = volume.materials.copy()
    cases = [
        (ValueError, 'there is no process "Teleport"', lambda: kelvane.run(volume, "Teleport")),
        (ValueError, 'reads no parameter "thicknes"; the parameters it reads are "material", "thickness"',
         lambda: kelvane.cvd(volume, material=1, thicknes=3)),
        (TypeError, r'"thick" is not a value for "thickness" of kelvane.cvd \(CVD\): it needs a number, not a str',
         lambda: kelvane.cvd(volume, material=1, thickness="thick")),
        (TypeError, "it needs a material's name or id, not a float",
         lambda: kelvane.cvd(volume, material=1.5, thickness=1)),
        (TypeError, "needs material=", lambda: kelvane.cvd(volume, thickness=1)),
        (TypeError, "whole number", lambda: kelvane.simple_rie(volume, material=1, depth=2.5)),
        (ValueError, "the depth must be a number of 0 or more", lambda: kelvane.wet_etch(volume, depth=-17)),
        (ValueError, "it needs a number", lambda: kelvane.wet_etch(volume, depth=float("nan"))),
        (ValueError, "the material catalogue has no material with id 2",
         lambda: kelvane.cvd(volume, material=2, thickness=1)),
        (ValueError, "etch direction must be 0", lambda: kelvane.simple_rie(volume, material=1, etch_direction=7)),
        (ValueError, "stay probability|probability|must",
         lambda: kelvane.random_walk_doping(volume, material=14, cell_size=0.0)),
        (TypeError, "needs a kelvane.Volume", lambda: kelvane.cvd(None, material=1)),
        (TypeError, "", lambda: kelvane.cvd("volume", material=1)),
        (ValueError, "from 1 to 4096", lambda: kelvane.set_threads(0)),
        (ValueError, "from 1 to 4096", lambda: kelvane.set_threads(10**30)),
        (TypeError, "from 1 to 4096", lambda: kelvane.set_threads(2.0)),
    ]
    for error, text, call in cases:
        with pytest.raises(error, match=text):
            call()
    assert np.array_equal(volume.materials, before)


def test_thread_count_is_settable_and_results_do_not_depend_on_it():
    original = kelvane.threads()
    try:
        kelvane.set_threads(1)
        assert kelvane.threads() == 1
        one = slab()
        kelvane.isotropic_etching(one, material=1, depth=2)
        kelvane.set_threads(3)
        assert kelvane.threads() == 3
        three = slab()
        kelvane.isotropic_etching(three, material=1, depth=2)
        assert np.array_equal(one.materials, three.materials)
    finally:
        kelvane.set_threads(original)


def test_processes_run_on_other_threads_with_the_gil_free_and_refuse_a_busy_volume():
    big = slab(size=(96, 96, 96), layers=40)
    refusals = {"worker": [], "main": []}

    def deposit(thickness, who):
        try:
            kelvane.cvd(big, material=1, thickness=thickness)
        except RuntimeError as error:
            refusals[who].append(str(error))

    worker = threading.Thread(target=deposit, args=(30, "worker"))
    worker.start()
    # While the worker's process runs (the GIL free), this thread runs Python and other
    # volumes; a call on the busy volume is refused at once, never waited for. Which of
    # the two threads gets `big` first is up to the scheduler.
    small = slab()
    while worker.is_alive():
        kelvane.cvd(small, material=1, thickness=1)
        deposit(1, "main")
    worker.join()
    for text in refusals["worker"] + refusals["main"]:
        assert text.startswith("the volume is busy: ")
    if not refusals["worker"]:
        assert np.all(big.materials[:, :, :70] == 1)
    # Every call on the volume either ran whole or was refused: the cells are one flat film.
    top = (big.materials != 0).sum(axis=2)
    assert np.all(top == top[0, 0])
