#!/usr/bin/python3
"""The line-shape fit of meril-proc against lmfit on the same files, side by
side in one run: processor time per file for gauss, lorentz and pseudo-Voigt.

bench_FitFiles writes 20 stored spectra per model (1024 points, 1.00 Gs
modulation). meril-proc measures them with and without --fit MODEL, in one
process per run; the difference is the fit's own cost through meril-proc's
path (starts, noise, checks). lmfit (Debian python3-lmfit) fits the same
points (meril-proc's text export of each file) with the same modulated model,
written with numpy: the first harmonic of the sweep under sinusoidal
modulation (the Lorentzian in closed form, the Gaussian by a phase average on
48 phases), the pseudo-Voigt as their mix of one half width, on a straight
baseline, from the extremes of the points. Both times are process CPU time.

Usage: bench/fit_vs_lmfit.py [BUILD_DIR]   (default: build)
"""
import os
import resource
import subprocess
import sys
import tempfile
import time

import numpy as np
import lmfit

BUILD = sys.argv[1] if len(sys.argv) > 1 else "build"
MODELS = ["gauss", "lorentz", "pseudo-voigt"]
MOD_AMP = 1.0
PHASES = 48


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def meril_proc_cpu(files, options):
    before = children_cpu()
    subprocess.run([os.path.join(BUILD, "app", "meril-proc")] + options + files, check=True,
                   stdout=subprocess.DEVNULL)
    return children_cpu() - before


# The modulated first harmonic over the modulation amplitude, unit area.
PHI = np.pi * np.arange(1, PHASES) / PHASES
PHASE_SHIFT = MOD_AMP * np.cos(PHI)
PHASE_WEIGHT = 2.0 / PHASES * np.sin(PHI) ** 2


def lorentz(d, hwhm):
    z = d - 1j * hwhm
    s = np.sqrt(z - MOD_AMP) * np.sqrt(z + MOD_AMP)
    return -2 / np.pi * (1 / (s * (s + z))).imag


def gauss(d, sigma):
    u = d[:, None] + PHASE_SHIFT[None, :]
    slope = -u / sigma ** 2 * np.exp(-0.5 * (u / sigma) ** 2) / (sigma * np.sqrt(2 * np.pi))
    return slope @ PHASE_WEIGHT


def model(x, name, centre, width, area, offset, slope, eta=0.5):
    d = x - centre
    if name == "gauss":
        line = gauss(d, width)
    elif name == "lorentz":
        line = lorentz(d, width)
    else:
        line = eta * lorentz(d, width) + (1 - eta) * gauss(d, width / np.sqrt(2 * np.log(2)))
    return area * line + offset + slope * x


def lmfit_cpu(tables, name):
    fitted = lmfit.Model(lambda x, centre, width, area, offset, slope, eta: model(x, name, centre, width, area,
                                                                                  offset, slope, eta))
    start = time.process_time()
    for x, y in tables:
        high, low = int(np.argmax(y)), int(np.argmin(y))
        pp = abs(x[high] - x[low])
        params = fitted.make_params(centre=0.5 * (x[high] + x[low]), width=pp / 2 if name == "gauss" else pp * 0.87,
                                    area=(y[high] - y[low]) * pp * pp / 2, offset=0, slope=0, eta=0.5)
        params["width"].min = 1e-3
        params["eta"].set(min=0, max=1, vary=name == "pseudo-voigt")
        result = fitted.fit(y, params, x=x)
        if not result.success:
            raise RuntimeError("lmfit did not converge")
    return time.process_time() - start


def main():
    with tempfile.TemporaryDirectory() as folder:
        subprocess.run([os.path.join(BUILD, "bench", "bench_FitFiles"), folder], check=True)
        text = os.path.join(folder, "text")
        os.mkdir(text)
        print("CPU ms per file (20 files of 1024 points each; meril-proc: --fit less no fit)")
        print(f"{'model':14}{'meril-proc fit':>16}{'lmfit fit':>12}{'ratio':>8}{'meril-proc whole':>19}")
        for name in MODELS:
            files = sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.startswith(name + "-"))
            meril_proc_cpu(files, ["--export-txt", text])
            tables = []
            for f in files:
                table = np.loadtxt(os.path.join(text, os.path.basename(f)[:-4] + ".txt"))
                tables.append((table[:, 0], table[:, 1]))
            plain = min(meril_proc_cpu(files, []) for _ in range(3))
            whole = min(meril_proc_cpu(files, ["--fit", name]) for _ in range(3))
            peer = min(lmfit_cpu(tables, name) for _ in range(3))
            ours = max(whole - plain, 0.0)
            print(f"{name:14}{1e3 * ours / len(files):16.2f}{1e3 * peer / len(files):12.2f}"
                  f"{ours / peer:8.2f}{1e3 * whole / len(files):19.2f}")


if __name__ == "__main__":
    main()
