"""What the document, process-list, export and example tests share: where the batch
program and the example lists are, and running the batch program on a list."""
import os
import pathlib
import subprocess

SOURCE_DIR = pathlib.Path(__file__).resolve().parents[2]
# Read once, before any test changes the working directory.
BATCH_EXE = os.path.abspath(os.environ["KELVANE_BATCH_EXE"]) if os.environ.get("KELVANE_BATCH_EXE") else None
EXAMPLES_DIR = pathlib.Path(os.path.abspath(os.environ.get("KELVANE_EXAMPLES_DIR") or SOURCE_DIR / "examples"))

# The first start of either program writes the material catalogue into the home folder
# and keeps the built-in colours, which later starts read back at 8 bits a channel (one
# level darker where a channel is 0.5). The batch program starts once here, before the
# module is imported, so that both read the same catalogue file and draw the same colours.
if BATCH_EXE and not (pathlib.Path.home() / "Kelvane" / "materials.xml").exists():
    subprocess.run([BATCH_EXE, os.devnull, "--quiet"], capture_output=True, timeout=120)

import kelvane  # noqa: E402  (after the catalogue exists)


def examples_dir():
    return EXAMPLES_DIR


def example_lists():
    return sorted(examples_dir().glob("*.plst"))


def batch_exe():
    assert BATCH_EXE, "KELVANE_BATCH_EXE must name the kelvane-batch program"
    return BATCH_EXE


def run_batch(list_path, *options, cwd):
    """Runs kelvane-batch on a list in `cwd`; returns the finished process."""
    return subprocess.run([batch_exe(), str(list_path), "--quiet", *map(str, options)], cwd=cwd,
                          capture_output=True, text=True, timeout=600)


def batch_error(process):
    """The batch program's error line, without its name."""
    lines = [line for line in process.stderr.splitlines() if line.startswith("kelvane-batch: ")
             and "warning:" not in line]
    assert lines, process.stderr
    return lines[-1][len("kelvane-batch: "):]


def run_module(list_path, cwd, volume=None):
    """Runs a list through the module in `cwd` (where Save Image steps write), as the batch
    program runs it; returns the volume and the failed step's message (None when every step
    ran)."""
    previous = os.getcwd()
    os.chdir(cwd)
    try:
        return kelvane.ProcessList.load(list_path).run(volume), None
    except RuntimeError as error:
        return error.volume, str(error)
    finally:
        os.chdir(previous)
