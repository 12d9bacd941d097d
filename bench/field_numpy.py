#!/usr/bin/env python3
"""The field at a point written with numpy, timed on the cases that
tovik_field_bench exported, and the table that compares it with the C++
evaluator and the checked walk.

    field_numpy.py CASES_DIR CPP_JSON

CASES_DIR holds the cases written by `tovik_field_bench --export_cases=DIR`;
CPP_JSON is that run's Google Benchmark output (--benchmark_out, JSON, with
repetitions: the medians are used). Two numpy versions are timed over the same
charged cells and points: the plain expression, which makes fresh arrays at
every step, and one that works in preallocated arrays. numpy adds the terms
pairwise, not one cell at a time, so its results agree with the C++ ones only
to rounding; the script checks that they do.
"""

import json
import os
import statistics
import sys
import time

import numpy as np


def load_cases(directory):
    cases = []
    with open(os.path.join(directory, "cases.txt")) as index:
        for line in index:
            name, charged, visited, _ = line.split()
            base = os.path.join(directory, name)
            cases.append({
                "name": name,
                "charged": int(charged),
                "visited": int(visited),
                "cx": np.fromfile(base + ".cx.f64", dtype="<f8"),
                "cy": np.fromfile(base + ".cy.f64", dtype="<f8"),
                "q": np.fromfile(base + ".q.f32", dtype="<f4").astype(np.float64),
                "points": np.fromfile(base + ".points.f32", dtype="<f4").reshape(-1, 2),
                "expect": np.fromfile(base + ".expect.f64", dtype="<f8").reshape(-1, 2),
            })
    return cases


def field_expression(cx, cy, q):
    def field(x, y):
        rx = x - cx
        ry = y - cy
        d = np.sqrt(rx * rx + ry * ry)
        with np.errstate(divide="ignore", invalid="ignore"):
            k = q / (d * d * d)
        k[d == 0] = 0.0  # a cell under the point gives nothing
        return (rx * k).sum(), (ry * k).sum()
    return field


def field_in_place(cx, cy, q):
    n = len(q)
    rx, ry, d, t = (np.empty(n) for _ in range(4))

    def field(x, y):
        np.subtract(x, cx, out=rx)
        np.subtract(y, cy, out=ry)
        np.multiply(rx, rx, out=d)
        np.multiply(ry, ry, out=t)
        np.add(d, t, out=d)
        np.sqrt(d, out=d)
        np.multiply(d, d, out=t)
        np.multiply(t, d, out=t)
        with np.errstate(divide="ignore", invalid="ignore"):
            np.divide(q, t, out=t)
        t[d == 0] = 0.0
        np.multiply(rx, t, out=rx)
        np.multiply(ry, t, out=ry)
        return rx.sum(), ry.sum()
    return field


def ns_per_eval(field, points, repetitions=7, min_seconds=0.2):
    """Median over repetitions of the mean time of one evaluation, in ns."""
    coords = [(float(x), float(y)) for x, y in points]
    results = []
    for _ in range(repetitions):
        count = 0
        start = time.perf_counter()
        while True:
            for x, y in coords:
                field(x, y)
            count += len(coords)
            elapsed = time.perf_counter() - start
            if elapsed >= min_seconds:
                break
        results.append(elapsed / count * 1e9)
    return statistics.median(results)


def worst_relative_difference(field, case):
    worst = 0.0
    for (x, y), (ex, ey) in zip(case["points"], case["expect"]):
        fx, fy = field(float(x), float(y))
        scale = max(abs(ex), abs(ey), 1e-300)
        worst = max(worst, abs(fx - ex) / scale, abs(fy - ey) / scale)
    return worst


def cpp_medians(path):
    to_ns = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    with open(path) as f:
        data = json.load(f)
    medians = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name", "median") != "median":
            continue
        name = b.get("run_name", b["name"]).replace("/real_time", "")
        way, case = name.split("/", 1)
        medians[(way, case)] = b["real_time"] * to_ns[b.get("time_unit", "ns")]
    return data.get("context", {}), medians


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return "unknown"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    cases = load_cases(sys.argv[1])
    context, cpp = cpp_medians(sys.argv[2])

    print(f"CPU: {cpu_model()}, {os.cpu_count()} cores"
          f" ({context.get('mhz_per_cpu', '?')} MHz reported); field kernel: {context.get('field_kernel', '?')};"
          f" numpy {np.__version__}")
    print("Medians. ns/cell is per charged cell; 'visited' counts every cell the checked walk reads.")
    head = (f"{'case':<17}{'cells':>8}{'visited':>9} | {'fast':>7}{'ns/eval':>11}{'1 thread':>10}{'floor':>7} |"
            f" {'ref':>7}{'ns/eval':>12} | {'numpy':>7}{'ns/eval':>12}{'in-place':>10} |"
            f" {'x ref':>7}{'x numpy':>8}{'x in-pl.':>9}")
    print(head)
    print("-" * len(head))
    problems = []
    for case in cases:
        name, n = case["name"], case["charged"]
        fast = cpp.get(("fast", name))
        one = cpp.get(("fast_1thread", name))
        ref = cpp.get(("reference", name))
        floor = cpp.get(("floor", name))
        floor_text = f"{floor / n:>7.3f}" if floor else f"{'-':>7}"
        expression = field_expression(case["cx"], case["cy"], case["q"])
        in_place = field_in_place(case["cx"], case["cy"], case["q"])
        for label, field in (("numpy", expression), ("numpy in place", in_place)):
            diff = worst_relative_difference(field, case)
            if diff > 1e-9:
                problems.append(f"{name}: {label} differs from the evaluator by {diff:.3g} (relative)")
        np_ns = ns_per_eval(expression, case["points"])
        ip_ns = ns_per_eval(in_place, case["points"])
        if None in (fast, one, ref):
            problems.append(f"{name}: C++ results missing")
            continue
        print(f"{name:<17}{n:>8}{case['visited']:>9} | {fast / n:>7.3f}{fast:>11.0f}{one / n:>10.3f}{floor_text} |"
              f" {ref / n:>7.2f}{ref:>12.0f} | {np_ns / n:>7.2f}{np_ns:>12.0f}{ip_ns / n:>10.2f} |"
              f" {ref / fast:>7.1f}{np_ns / fast:>8.1f}{ip_ns / fast:>9.1f}")
    print("fast: the evaluator (helper thread for long lists); 1 thread: the same on the calling thread only;")
    print("floor: square root, plain cube, division and the sum in cell order alone, the least an exact sum costs;")
    print("ref: the checked walk over every cell; numpy: the plain expression; in-place: preallocated arrays.")
    for p in problems:
        print("WARNING:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
