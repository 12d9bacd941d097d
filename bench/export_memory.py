#!/usr/bin/env python3
"""Peak memory of a huge export: tovik-render covers the dipole with about
50 million steps of field lines and writes them as SVG and as PDF; each run's
maximum resident set is printed next to that of the same run without an
export, the baseline. The export should stay within 64 MB above it.

    python3 bench/export_memory.py BUILD_DIR
"""
import os
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
source = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
render = os.path.join(build, "tovik-render")
picture = os.path.join(source, "examples", "dipole.bmp")
run = ["--seed", "1", "-q", "--step", "1", "--square", "4", "--max-steps", "5000", "--threads", "2"]


def measure(extra):
    """Seconds, maximum resident set in MB and standard output of one run."""
    start = time.time()
    p = subprocess.Popen([render, picture] + run + extra, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out = p.stdout.read().decode()
    _, status, usage = os.wait4(p.pid, 0)
    p.returncode = os.waitstatus_to_exitcode(status)
    if p.returncode != 0:
        sys.exit(f"tovik-render {' '.join(extra)} failed with status {p.returncode}")
    return time.time() - start, usage.ru_maxrss / 1024.0, out


with tempfile.TemporaryDirectory() as work:
    seconds, base, out = measure([])
    steps = next(line for line in out.splitlines() if line.startswith("lines traced"))
    print(f"{steps}; run alone: {base:.1f} MB max RSS, {seconds:.1f} s (baseline)")
    for name, extra in (("SVG", ["--svg", os.path.join(work, "huge.svg")]),
                        ("PDF", ["--pdf", os.path.join(work, "huge.pdf")])):
        seconds, peak, _ = measure(extra)
        size = os.path.getsize(extra[1]) / 1e6
        print(f"with {name}: {peak:.1f} MB max RSS, {peak - base:+.1f} MB above the baseline "
              f"(limit +64 MB), {seconds:.1f} s, file {size:.1f} MB")
