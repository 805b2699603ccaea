#!/usr/bin/env python3
"""Step coverage of deposited films in a trench, swept over the film thickness.

A trench is cut into a silicon block with numpy; for every thickness a fresh copy is
coated with Poly-Si by a one-step process list (CVD, which grows alike in every
direction, and anisotropic deposition, which grows sideways at a fraction of its
thickness), and the film is measured from the material ids: its thickness on the flat
top beside the trench and on the trench's side wall at half its depth. Step coverage
(side wall / top) is plotted against the thickness and saved as a PNG; the values are
printed as a table.

    python3 thickness_sweep.py [--width 24] [--depth 48] [--thicknesses 1 2 ... 20]
                               [--output thickness-sweep.png]
"""
import argparse
import pathlib

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

import kelvane  # noqa: E402

SILICON = 1
POLY_SI = 16


def trench(width, depth, margin=20, length=6, headroom=20):
    """A silicon block (top at z = depth + 10) with a trench of the given width and depth
    running along y, margin cells of flat top on each side."""
    top = depth + 10
    volume = kelvane.Volume(size=(2 * margin + width, length, top + headroom))
    cells = volume.materials
    cells[:, :, :top] = SILICON
    cells[margin:margin + width, :, top - depth:top] = 0
    return volume, top


def film_thicknesses(volume, width, depth, top, margin=20):
    """The film on the flat top (in the middle of the left margin) and on the trench's left
    wall at half its depth, in cells, read from the middle y layer."""
    layer = volume.materials[:, volume.size[1] // 2, :]
    film = layer == POLY_SI
    top_film = int(film[margin // 2, top:].sum())
    z = top - depth // 2
    row = film[margin:margin + width, z]
    side_film = int(np.argmin(row)) if not row.all() else width
    # Once the films of the two walls meet, each wall's film is half the trench.
    return top_film, min(side_film, width // 2)


# The processes swept: (label, list name, its thickness parameter, other parameters).
PROCESSES = [
    ("CVD", "CVD", "Thickness", {}),
    ("anisotropic deposition, ratio 0.3", "Anisotropic Deposition", "Film Thickness",
     {"horizontal_to_vertical_ratio": 0.3}),
]


def sweep(width, depth, thicknesses, process):
    label, name, thickness_key, others = process
    flow = kelvane.ProcessList()
    flow.append(name, material="Poly-Si", **others)
    results = []
    for thickness in thicknesses:
        volume, top = trench(width, depth)
        flow[0].parameters[thickness_key] = float(thickness)
        flow.run(volume)
        top_film, side_film = film_thicknesses(volume, width, depth, top)
        results.append((thickness, top_film, side_film, side_film / top_film if top_film else float("nan")))
    return results


def plot(sweeps, width, depth, output):
    figure, axes = plt.subplots(figsize=(6, 4), dpi=100)
    for (label, *_), results in sweeps:
        axes.plot([r[0] for r in results], [r[3] for r in results], "o-", label=label)
    axes.axvline(width / 2, color="grey", linestyle="--", linewidth=1)
    axes.text(width / 2, 0.05, " half the trench width", color="grey", fontsize=8)
    axes.set_xlabel("film thickness (cells)")
    axes.set_ylabel("step coverage (side wall / top)")
    axes.set_title(f"Poly-Si films in a {width} x {depth} cell trench")
    axes.set_ylim(0, 1.1)
    axes.legend(loc="center left", fontsize=8)
    axes.grid(True, alpha=0.3)
    figure.tight_layout()
    figure.savefig(output)
    plt.close(figure)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--width", type=int, default=24, help="trench width in cells (default 24)")
    parser.add_argument("--depth", type=int, default=48, help="trench depth in cells (default 48)")
    parser.add_argument("--thicknesses", type=float, nargs="+", default=list(range(1, 21)),
                        help="film thicknesses to deposit (default 1 to 20)")
    parser.add_argument("--output", type=pathlib.Path, default=pathlib.Path("thickness-sweep.png"))
    args = parser.parse_args()

    sweeps = [(process, sweep(args.width, args.depth, args.thicknesses, process)) for process in PROCESSES]
    for (label, *_), results in sweeps:
        print(label)
        print("thickness  top  side wall  coverage")
        for thickness, top_film, side_film, coverage in results:
            print(f"{thickness:9g} {top_film:4d} {side_film:10d} {coverage:9.3f}")
    plot(sweeps, args.width, args.depth, args.output)
    print(f"plot written to {args.output}")


if __name__ == "__main__":
    main()
