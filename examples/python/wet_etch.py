#!/usr/bin/env python3
"""The wet-etch flow (examples/wet-etch.plst) written in Python.

An oxide and a positive resist on silicon; the resist is exposed through a square
opening, the opening is cleared through resist and oxide, and the silicon below is
etched wet for 17 units, leaving the pit the crystal planes shape. Writes the document,
a picture of the cut through the middle and prints the depth of the pit.

    python3 wet_etch.py [--size 60] [--depth 17] [--output-dir .]
"""
import argparse
import pathlib

import numpy as np

import kelvane


def wet_etch_flow(size=60, depth=17.0):
    """The flow as a process list, on a size x size x 40 volume with a 30-cell substrate."""
    flow = kelvane.ProcessList()
    flow.append("Create Substrate", material="Si", volume_size_x=size, volume_size_y=size, volume_size_z=40,
                substrate_size_x=size, substrate_size_y=size, substrate_size_z=30)
    flow.append("Moore deposition", material="Thermal Si02", thickness=2)
    flow.append("Moore deposition", material="Photoresist +", thickness=2)
    # The mask, indexed [x, y] like the volume: a square opening (False) of 2/5 of the side.
    mask = np.ones((size, size), dtype=bool)
    lo, hi = size * 3 // 10, size - size * 3 // 10
    mask[lo:hi, lo:hi] = False
    flow.append("Photolithography", material="Photoresist +", top_mask=mask)
    flow.append("Moore etching", material="Thermal Si02", depth=2)
    flow.append("Moore etching", material="Photoresist +", depth=2)
    flow.append("Si wet etching", depth=depth)
    return flow


def pit_depth(volume, silicon_top=30):
    """How deep the pit reaches below the top of the silicon, in cells."""
    silicon = volume.materials == 1
    filled = silicon.any(axis=(0, 1))
    lowest_open = silicon_top
    for z in range(silicon_top):
        if filled[z] and not silicon[:, :, z].all():
            lowest_open = z
            break
    return silicon_top - lowest_open


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--size", type=int, default=60, help="cells along x and y (default 60)")
    parser.add_argument("--depth", type=float, default=17.0, help="wet-etch depth (default 17)")
    parser.add_argument("--output-dir", type=pathlib.Path, default=pathlib.Path("."))
    args = parser.parse_args()

    flow = wet_etch_flow(args.size, args.depth)
    volume = flow.run(on_step=lambda index, step, v: print(f"[{index + 1}/{len(flow)}] {step.name}"))
    args.output_dir.mkdir(parents=True, exist_ok=True)
    kelvane.save(args.output_dir / "wet-etch.mem", volume)
    volume.export_cross_section(args.output_dir / "wet-etch-section.png", "y", args.size // 2)
    print(f"pit depth: {pit_depth(volume)} cells")


if __name__ == "__main__":
    main()
