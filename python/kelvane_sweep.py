#!/usr/bin/env python3
"""kelvane-sweep: runs a process list once per row of a sweep and gathers the results.

    kelvane-sweep LIST.plst --measure MEASURE.json (--table ROWS.csv | --vary "STEP.PARAMETER=A:B:S" ...)
                  [--out DIR] [--jobs N] [--section y=50] [--emit slurm|parallel]
    kelvane-sweep --row K DIR        runs row K of the sweep prepared in DIR
    kelvane-sweep --gather DIR       gathers the rows of DIR into its results

A row sets parameters of the list's steps as `kelvane-batch --set STEP.PARAMETER=VALUE`
does: the columns of the sweep table, or every combination of the --vary ranges (a full
factorial; a range is START:STOP:STEP with STOP included, or a comma-separated list). Each
row runs `kelvane-batch` with `--measure`, so that it gives one row of measurements.

Without --emit the rows run here, N at a time, and are gathered at once. With --emit the
sweep is written to DIR (sweep.json) with a Slurm job-array script (sweep.sbatch) or a GNU
Parallel command line (parallel.sh), which run `kelvane-sweep --row K DIR` for every row;
`kelvane-sweep --gather DIR` then gathers them.

Gathering writes DIR/results.csv (one row per run: the row number, the varied parameters,
every measurement), DIR/contact-sheet.png (the rows' cross-sections, with --section) and
DIR/plot-MEASUREMENT.png (each measurement against each varied parameter).
"""
import argparse
import concurrent.futures
import csv
import decimal
import itertools
import json
import os
import pathlib
import shlex
import shutil
import subprocess
import sys

SWEEP_FILE = "sweep.json"


class SweepError(Exception):
    pass


def range_values(text):
    """The values of a --vary range: START:STOP:STEP (STOP included) or a list A,B,C."""
    if ":" not in text:
        values = [v.strip() for v in text.split(",") if v.strip()]
        if not values:
            raise SweepError(f"the range '{text}' holds no value")
        return values
    parts = text.split(":")
    try:
        start, stop, step = (decimal.Decimal(p.strip()) for p in parts)
    except (ValueError, decimal.InvalidOperation):
        raise SweepError(f"a range is START:STOP:STEP with three numbers, not '{text}'") from None
    if step <= 0 or stop < start:
        raise SweepError(f"the range '{text}' needs a positive STEP and STOP not below START")
    count = int((stop - start) / step) + 1
    if count > 100000:
        raise SweepError(f"the range '{text}' holds {count} values; a sweep takes at most 100000")
    return [str(start + i * step) for i in range(count)]


def rows_from_vary(assignments):
    names, ranges = [], []
    for assignment in assignments:
        name, equals, values = assignment.partition("=")
        if not equals or "." not in name:
            raise SweepError(f"--vary takes STEP.PARAMETER=RANGE, not '{assignment}'")
        if name in names:
            raise SweepError(f"--vary names {name} twice")
        names.append(name)
        ranges.append(range_values(values))
    return names, [dict(zip(names, combination)) for combination in itertools.product(*ranges)]


def rows_from_table(path):
    with open(path, newline="", encoding="utf-8") as file:
        reader = csv.DictReader(file)
        names = reader.fieldnames or []
        if not names:
            raise SweepError(f"the sweep table {path} has no header line")
        for name in names:
            if "." not in name:
                raise SweepError(f"the sweep table's column '{name}' is not STEP.PARAMETER")
        rows = [dict(row) for row in reader]
    if not rows:
        raise SweepError(f"the sweep table {path} holds no row")
    return names, rows


def typed(text, current):
    """A table's text as the Python value of the parameter it replaces (names of materials
    and texts the list reads stay text)."""
    try:
        if isinstance(current, bool):
            return text.strip().lower() in ("1", "true", "yes", "on")
        if isinstance(current, int):
            return int(text)
        if isinstance(current, float):
            return float(text)
    except ValueError:
        pass
    return text


def check_rows(list_path, rows):
    """Sets every row's values on the list as the batch program's --set would, so that an
    unknown step or parameter or a refused value stops the sweep before anything runs."""
    import kelvane

    try:
        flow = kelvane.ProcessList.load(list_path)
    except (OSError, ValueError) as error:
        raise SweepError(str(error)) from None
    for index, row in enumerate(rows):
        edited = kelvane.ProcessList.load(list_path)
        for name, value in row.items():
            step, _, parameter = name.partition(".")
            if not step.isdigit() or not 1 <= int(step) <= len(flow):
                raise SweepError(f"row {index}: {name}: the list has steps 1 to {len(flow)}")
            try:
                parameters = edited[int(step) - 1].parameters
                parameters[parameter] = typed(value, parameters.get(parameter))
            except (KeyError, TypeError, ValueError) as error:
                raise SweepError(f"row {index}: {name}={value}: {error}") from None
        try:
            edited.save(os.devnull)
        except ValueError as error:
            raise SweepError(f"row {index}: {error}") from None
        except OSError:
            pass


def find_batch(given):
    batch = given or os.environ.get("KELVANE_BATCH_EXE") or shutil.which("kelvane-batch")
    if not batch:
        raise SweepError("kelvane-batch was not found: install it, or name it with --batch")
    return os.path.abspath(batch)


def row_command(sweep, index):
    """The kelvane-batch command line of a row, and the files it writes."""
    out = pathlib.Path(sweep["out"])
    command = [sweep["batch"], sweep["list"], "--quiet", "--measure", sweep["measure"],
               "--measure-out", str(out / f"row-{index}.csv")]
    for name, value in sweep["rows"][index].items():
        command += ["--set", f"{name}={value}"]
    if sweep.get("section"):
        command += ["--section", sweep["section"], "--section-image", str(out / f"row-{index}.png")]
    return command


def run_row(sweep, index):
    """Runs one row; returns (index, error text or None)."""
    done = subprocess.run(row_command(sweep, index), capture_output=True, text=True)
    errors = "\n".join(line for line in done.stderr.splitlines() if "warning:" not in line)
    return index, (errors or f"exit code {done.returncode}") if done.returncode != 0 else None


def load_sweep(folder):
    try:
        with open(pathlib.Path(folder) / SWEEP_FILE, encoding="utf-8") as file:
            return json.load(file)
    except (OSError, ValueError) as error:
        raise SweepError(f"no sweep was prepared in {folder}: {error}") from None


def gather(sweep):
    """Writes results.csv, the contact sheet and the plots; returns the number of rows that
    gave results."""
    out = pathlib.Path(sweep["out"])
    names = sweep["names"]
    measured, table = [], []
    for index, row in enumerate(sweep["rows"]):
        path = out / f"row-{index}.csv"
        values = {}
        if path.exists():
            with open(path, newline="", encoding="utf-8") as file:
                lines = list(csv.DictReader(file))
            if lines:
                values = {k: v for k, v in lines[0].items() if k != "list" and k not in names}
        for key in values:
            if key not in measured:
                measured.append(key)
        table.append((index, row, values))
    with open(out / "results.csv", "w", newline="", encoding="utf-8") as file:
        writer = csv.writer(file)
        writer.writerow(["row", *names, *measured])
        for index, row, values in table:
            writer.writerow([index, *(row[n] for n in names), *(values.get(m, "") for m in measured)])
    plot(out, names, measured, table)
    if sweep.get("section"):
        contact_sheet(out, names, table)
    return sum(1 for _, _, values in table if values)


def number(text):
    try:
        return float(text)
    except (TypeError, ValueError):
        return None


def plot(out, names, measured, table):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    for m in measured:
        figure, axes = plt.subplots(1, len(names), figsize=(4.5 * len(names), 3.5), squeeze=False)
        for axis, name in zip(axes[0], names):
            others = [n for n in names if n != name]
            groups = {}
            for _, row, values in table:
                x, y = number(row[name]), number(values.get(m))
                if x is not None and y is not None:
                    groups.setdefault(tuple(row[o] for o in others), []).append((x, y))
            for key, points in sorted(groups.items()):
                points.sort()
                label = ", ".join(f"{o}={v}" for o, v in zip(others, key)) or None
                axis.plot([p[0] for p in points], [p[1] for p in points], "o-", label=label)
            axis.set_xlabel(name)
            axis.set_ylabel(m)
            axis.grid(alpha=0.3)
            if others and groups:
                axis.legend(fontsize=7)
        figure.tight_layout()
        figure.savefig(out / f"plot-{m}.png", dpi=100)
        plt.close(figure)


def contact_sheet(out, names, table):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.image as image
    import matplotlib.pyplot as plt

    columns = min(4, len(table))
    rows = (len(table) + columns - 1) // columns
    figure, axes = plt.subplots(rows, columns, figsize=(3.2 * columns, 3.2 * rows), squeeze=False)
    for axis in axes.flat:
        axis.axis("off")
    for axis, (index, row, _) in zip(axes.flat, table):
        picture = out / f"row-{index}.png"
        if picture.exists():
            axis.imshow(image.imread(picture))
        axis.set_title(f"{index}: " + ", ".join(f"{n}={row[n]}" for n in names), fontsize=7)
    figure.tight_layout()
    figure.savefig(out / "contact-sheet.png", dpi=100)
    plt.close(figure)


def emit(sweep, kind, jobs):
    out = pathlib.Path(sweep["out"])
    # The interpreter and the script by their full paths, as the cluster's nodes see them.
    me = f"{shlex.quote(sys.executable)} {shlex.quote(os.path.abspath(sys.argv[0]))}"
    folder = shlex.quote(str(out))
    count = len(sweep["rows"])
    if kind == "slurm":
        script = out / "sweep.sbatch"
        script.write_text(
            "#!/bin/bash\n"
            "#SBATCH --job-name=kelvane-sweep\n"
            f"#SBATCH --array=0-{count - 1}\n"
            f"#SBATCH --output={out}/row-%a.log\n"
            f"srun {me} --row \"$SLURM_ARRAY_TASK_ID\" {folder}\n", encoding="utf-8")
        return f"sbatch --wait {shlex.quote(str(script))} && {me} --gather {folder}"
    script = out / "parallel.sh"
    command = (f"parallel --will-cite -j {jobs} {me} --row {{}} {folder} ::: $(seq 0 {count - 1})"
               f" && {me} --gather {folder}")
    script.write_text("#!/bin/bash\n" + command + "\n", encoding="utf-8")
    script.chmod(0o755)
    return command


def main(argv=None):
    parser = argparse.ArgumentParser(prog="kelvane-sweep", description=__doc__.splitlines()[0],
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     epilog="\n".join(__doc__.splitlines()[2:]))
    parser.add_argument("list", nargs="?", help="the process list (.plst)")
    parser.add_argument("--measure", help="the measurements of every row (JSON, as kelvane-batch --measure)")
    parser.add_argument("--table", help="the sweep table: CSV, one column per STEP.PARAMETER, one row per run")
    parser.add_argument("--vary", action="append", default=[], metavar="STEP.PARAMETER=RANGE",
                        help="a parameter and its values (START:STOP:STEP or A,B,C); repeat for a full factorial")
    parser.add_argument("--out", default="sweep", help="the folder of the rows and results (default: sweep)")
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1, help="rows run at a time here")
    parser.add_argument("--section", help="a cross-section of every row for the contact sheet (x=N, y=N or z=N)")
    parser.add_argument("--emit", choices=["slurm", "parallel"], help="write the script instead of running")
    parser.add_argument("--batch", help="the kelvane-batch program (default: KELVANE_BATCH_EXE or the PATH's)")
    parser.add_argument("--row", type=int, metavar="K", help="run row K of the sweep prepared in the folder LIST")
    parser.add_argument("--gather", action="store_true", help="gather the rows of the sweep in the folder LIST")
    args = parser.parse_args(argv)
    try:
        if args.row is not None or args.gather:
            if not args.list:
                raise SweepError("--row and --gather take the sweep's folder")
            sweep = load_sweep(args.list)
            if args.gather:
                done = gather(sweep)
                print(f"kelvane-sweep: {done} of {len(sweep['rows'])} rows gathered into "
                      f"{pathlib.Path(sweep['out']) / 'results.csv'}")
                return 0 if done == len(sweep["rows"]) else 1
            if not 0 <= args.row < len(sweep["rows"]):
                raise SweepError(f"the sweep has rows 0 to {len(sweep['rows']) - 1}, not {args.row}")
            _, error = run_row(sweep, args.row)
            if error:
                print(f"kelvane-sweep: row {args.row} failed: {error}", file=sys.stderr)
            return 1 if error else 0

        if not args.list or not args.measure:
            raise SweepError("a sweep needs the list and --measure")
        if bool(args.table) == bool(args.vary):
            raise SweepError("give the rows either as --table or as --vary ranges")
        if args.jobs < 1:
            raise SweepError("--jobs needs 1 or more")
        names, rows = rows_from_table(args.table) if args.table else rows_from_vary(args.vary)
        out = pathlib.Path(args.out).resolve()
        out.mkdir(parents=True, exist_ok=True)
        sweep = {"list": os.path.abspath(args.list), "measure": os.path.abspath(args.measure),
                 "batch": find_batch(args.batch), "out": str(out), "section": args.section,
                 "names": names, "rows": rows}
        check_rows(sweep["list"], rows)
        (out / SWEEP_FILE).write_text(json.dumps(sweep, indent=1), encoding="utf-8")
        if args.emit:
            print(emit(sweep, args.emit, args.jobs))
            return 0
        failed = []
        with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
            for index, error in pool.map(lambda i: run_row(sweep, i), range(len(rows))):
                print(f"kelvane-sweep: row {index + 1} of {len(rows)} " + ("done" if not error else f"failed: {error}"),
                      file=sys.stderr)
                if error:
                    failed.append(index)
        done = gather(sweep)
        print(f"kelvane-sweep: {done} of {len(rows)} rows gathered into {out / 'results.csv'}")
        return 1 if failed else 0
    except (SweepError, OSError) as error:
        print(f"kelvane-sweep: {error}", file=sys.stderr)
        return 2


if __name__ == "__main__":
    sys.exit(main())
