#!/usr/bin/env python3
"""Whole-run comparison: `parvela-batch --method Gauss` on a data file with a
general matrix of order n and one right-hand side (about 30 MB at n = 2000)
against the same job in NumPy (numpy.loadtxt + numpy.linalg.solve) on the
same file. Both are timed as whole processes, alternately; medians."""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

NUMPY_JOB = r"""
import sys, time
t0 = time.perf_counter()
import numpy as np
n = int(sys.argv[2])
t1 = time.perf_counter()
d = np.loadtxt(sys.argv[1], skiprows=2, max_rows=n + 1, dtype=np.float32)
t2 = time.perf_counter()
x = np.linalg.solve(d[:n], d[n])
t3 = time.perf_counter()
assert x.shape == (n,)
print(f"{t1 - t0:.6f} {t2 - t1:.6f} {t3 - t2:.6f}")
"""


def write_data(path, n, seed):
    rng = random.Random(seed)
    with open(path, "w", newline="\n") as f:
        f.write(f"Sistem general n = {n}\n{n} 1\n")
        for _ in range(n + 1):  # n rows of A, then b
            f.write(" ".join(f"{rng.randint(-99999, 99999) / 10000:.4f}" for _ in range(n)))
            f.write("\n")


def timed(cmd, **kw):
    t0 = time.perf_counter()
    p = subprocess.run(cmd, capture_output=True, text=True, **kw)
    t = time.perf_counter() - t0
    if p.returncode != 0:
        sys.exit(f"{cmd[0]} failed ({p.returncode}):\n{p.stderr}")
    return t, p.stdout


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--batch", required=True, help="the parvela-batch program")
    ap.add_argument("--n", type=int, default=2000)
    ap.add_argument("--reps", type=int, default=5)
    ap.add_argument("--python", default="/usr/bin/python3", help="the Python that has NumPy (Debian python3-numpy)")
    ap.add_argument("--keep", help="keep the data file at this path")
    a = ap.parse_args()

    tmp = tempfile.mkdtemp(prefix="parvela-whole-run-")
    try:
        data = os.path.join(tmp, "data.dat")
        write_data(data, a.n, 2000 + a.n)
        ours_file = os.path.join(tmp, "ours.dat")  # receives the reports
        shutil.copyfile(data, ours_file)
        print(f"data file: n = {a.n}, {os.path.getsize(data) / 1e6:.1f} MB")
        ours, peer, numpy_parts = [], [], []
        for r in range(a.reps):
            order = ["ours", "numpy"] if r % 2 == 0 else ["numpy", "ours"]
            for side in order:
                if side == "ours":
                    t, _ = timed([a.batch, "--method", "Gauss", ours_file])
                    ours.append(t)
                else:
                    t, out = timed([a.python, "-c", NUMPY_JOB, data, str(a.n)])
                    peer.append(t)
                    numpy_parts.append([float(v) for v in out.split()])
        mo, mp = statistics.median(ours), statistics.median(peer)
        parts = [statistics.median(p[k] for p in numpy_parts) for k in range(3)]
        print(f"parvela-batch --method Gauss   {mo:8.3f} s   (runs: {' '.join(f'{t:.3f}' for t in ours)})")
        print(f"NumPy loadtxt + linalg.solve   {mp:8.3f} s   (runs: {' '.join(f'{t:.3f}' for t in peer)})")
        print(f"  of which: interpreter and import {parts[0]:.3f} s, loadtxt {parts[1]:.3f} s, solve {parts[2]:.3f} s")
        print(f"ratio ours / NumPy: {mo / mp:.2f}")
        if a.keep:
            shutil.copyfile(data, a.keep)
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
