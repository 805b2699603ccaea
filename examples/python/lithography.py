#!/usr/bin/env python3
"""The lithography flow (examples/lithography.plst) written in Python.

A positive resist on silicon is exposed through a mask drawn here with numpy (a ring
with a square in its middle), and the silicon is etched anisotropically through the
developed resist. Writes the document, a picture of the cut through the middle and an
STL surface per material, and prints how many silicon cells the etch removed.

    python3 lithography.py [--size 100] [--output-dir .]
"""
import argparse
import pathlib

import numpy as np

import kelvane


def ring_mask(size=100):
    """The mask, indexed [x, y] like the volume: False (exposed) on a ring of radii 11 to 19
    cells around the middle and on a 9 x 9 square inside it, True elsewhere (scaled to
    size / 100)."""
    scale = size / 100.0
    x, y = np.meshgrid(np.arange(size), np.arange(size), indexing="ij")
    centre = round(30 * scale)
    dx, dy = x - centre, y - centre
    d2 = dx * dx + dy * dy
    ring = (d2 <= (19 * scale) ** 2) & (d2 >= (11 * scale) ** 2)
    square = (np.abs(dx) <= 4 * scale) & (np.abs(dy) <= 4 * scale)
    return ~(ring | square)


def lithography_flow(size=100):
    """The flow as a process list, on a size x size x 60 volume with a 60 x 60 x 20 substrate."""
    substrate = round(60 * size / 100)
    flow = kelvane.ProcessList()
    flow.append("Create Substrate", material="Si", volume_size_x=size, volume_size_y=size, volume_size_z=60,
                substrate_size_x=substrate, substrate_size_y=substrate, substrate_size_z=20)
    flow.append("Moore deposition", material="Photoresist +", thickness=2)
    flow.append("Photolithography", material="Photoresist +", top_mask=ring_mask(size))
    flow.append("Anisotropic Etching", material="Si", etch_depth=10, horizontal_to_vertical_ratio=0.2)
    return flow


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--size", type=int, default=100, help="cells along x and y (default 100)")
    parser.add_argument("--output-dir", type=pathlib.Path, default=pathlib.Path("."))
    args = parser.parse_args()

    flow = lithography_flow(args.size)
    silicon_before = []

    def report(index, step, volume):
        print(f"[{index + 1}/{len(flow)}] {step.name}")
        if step.name == "Photolithography":
            silicon_before.append(int((volume.materials == 1).sum()))

    volume = flow.run(on_step=report)
    args.output_dir.mkdir(parents=True, exist_ok=True)
    kelvane.save(args.output_dir / "lithography.mem", volume)
    volume.export_cross_section(args.output_dir / "lithography-section.png", "y", round(30 * args.size / 100))
    volume.export_stl(args.output_dir / "lithography.stl", per_material=True)
    removed = silicon_before[0] - int((volume.materials == 1).sum())
    print(f"silicon cells etched: {removed}")


if __name__ == "__main__":
    main()
