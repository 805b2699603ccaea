"""Timings of the Python module on the standard trench scene (256 x 256 x 128 unit cells,
silicon below z = 40 with 12-cell-wide, 15-deep trenches every 32 cells along x), to set
beside bench_registryrun, which runs the same processes from C++:

- `Volume.materials`: obtaining the view of the material ids (no copy);
- pouring material 3 up to height 0, a process with next to nothing to do: what a call
  costs on top of the process itself;
- Moore deposition of 5 cells of material 3, each run from the untouched scene.

Run it on a Release build:
    PYTHONPATH=build/release/python python3 bench/bench_python.py [repeats]
Each line gives the median and the spread of the repeats.
"""

import statistics
import sys
import time

import numpy as np

import kelvane


def trench_scene():
    volume = kelvane.Volume(size=(256, 256, 128))
    cells = volume.materials
    x = np.arange(256)[:, None, None]
    z = np.arange(128)[None, None, :]
    silicon = (z < 40) & ~((z >= 25) & (x % 32 < 12))
    cells[...] = np.broadcast_to(silicon, cells.shape).astype(np.uint32)
    del cells
    # The next call checks the ids written above once; later calls find nothing to check.
    kelvane.pour_material(volume, material=3, maximum_height=0)
    return volume


def report(name, seconds, unit=1e3, unit_name="ms"):
    median = statistics.median(seconds) * unit
    print(f"{name:<42} median {median:10.4f} {unit_name}   min {min(seconds) * unit:10.4f}   "
          f"max {max(seconds) * unit:10.4f}   ({len(seconds)} runs)")


def timed(call, repeats, prepare=None):
    seconds = []
    for _ in range(repeats):
        if prepare:
            prepare()
        start = time.perf_counter()
        call()
        seconds.append(time.perf_counter() - start)
    return seconds


def main():
    repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 50
    print(f"threads {kelvane.threads()}")
    volume = trench_scene()
    report("Volume.materials (view, no copy)", timed(lambda: volume.materials, repeats * 20), 1e6, "us")
    # After a writable view was let go, the next call checks every id once.
    def write_through_a_view():
        volume.materials[0, 0, 0] = 1

    report("pour_material(maximum_height=0) after a write", timed(
        lambda: kelvane.pour_material(volume, material=3, maximum_height=0), 10, write_through_a_view), 1e3, "ms")
    report("pour_material(maximum_height=0) from Python",
           timed(lambda: kelvane.pour_material(volume, material=3, maximum_height=0), repeats * 20), 1e6, "us")

    scenes = []

    def fresh_scene():
        scenes.clear()
        scenes.append(trench_scene())

    report("moore_deposition(thickness=5) from Python",
           timed(lambda: kelvane.moore_deposition(scenes[0], material=3, thickness=5), max(5, repeats // 10),
                 fresh_scene))


if __name__ == "__main__":
    main()
