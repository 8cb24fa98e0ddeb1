# SPDX-License-Identifier: MIT
"""The work of the analysis and of `bode` done the usual way with SciPy, for comparison.

Margins: the poles (numpy.roots, for P), W(jw) on a grid (log-spaced, and no coarser than
0.1/T with a delay) up to 2.2 times the largest pole modulus, then brentq on every sign change
of Im W left of the origin (phase crossovers) and of |W| - 1 (gain crossovers); the gain,
phase and delay margins from them. Bode: scipy.signal.freqs at 401 points from 0.01 to 100
rad/s, the delay's factor, the phase unwrapped; and the same with the roots of the denominator
(numpy.roots), which the corners of the asymptote come from.

Prints one line a case: its name and the median processor time of one computation in
microseconds over `rounds` rounds (each round repeats the case until 0.2 s have passed).
Usage: python3 scipy_peers.py [rounds]
"""
import sys
import time

import numpy as np
from scipy import optimize, signal

FIFTEEN = [1, 15, 105, 455, 1365, 3003, 5005, 6435, 6435, 5005, 3003, 1365, 455, 105, 15, 1]
CASES = {
    "CubicLagGain2": ([2.0], [1, 3, 3, 1], 0.0),
    "Fifteen": ([1.2], FIFTEEN, 0.0),
    "FifteenWithDelay": ([1.2], FIFTEEN, 1.0),
    "CubicLagDelay1000": ([1.0], [1, 3, 3, 1], 1000.0),
}


def margins(num, den, delay):
    poles = np.roots(den)
    right = int(np.sum(poles.real > 0))
    top = 2.2 * max(1.0, float(np.max(np.abs(poles))))
    grid = np.logspace(-3, np.log10(top), 2000)
    if delay > 0:
        grid = np.union1d(grid, np.arange(0.0, top, 0.1 / delay))
    grid = grid[grid > 0]

    def w(omega):
        s = 1j * omega
        return np.polyval(num, s) / np.polyval(den, s) * np.exp(-s * delay)

    values = w(grid)
    gain, phase, delay_margin = None, None, None
    im = values.imag
    for i in np.nonzero(np.sign(im[:-1]) != np.sign(im[1:]))[0]:
        if values.real[i] < 0:
            omega = optimize.brentq(lambda x: w(x).imag, grid[i], grid[i + 1], xtol=1e-15)
            factor = -1.0 / w(omega).real
            gain = factor if gain is None else min(gain, factor)
    excess = np.abs(values) - 1
    for i in np.nonzero(np.sign(excess[:-1]) != np.sign(excess[1:]))[0]:
        omega = optimize.brentq(lambda x: abs(w(x)) - 1, grid[i], grid[i + 1], xtol=1e-15)
        value = w(omega)
        degrees = np.degrees(np.angle(-value))
        if phase is None or abs(degrees) < abs(phase):
            phase = degrees
        lag = (np.angle(value) + np.pi) % (2 * np.pi) / omega
        delay_margin = lag if delay_margin is None else min(delay_margin, lag)
    return right, gain, phase, delay_margin


def bode():
    num, den, delay = [0.9], FIFTEEN, 1.0
    omega = np.logspace(-2, 2, 401)
    _, h = signal.freqs(num, den, worN=omega)
    h = h * np.exp(-1j * omega * delay)
    return 20 * np.log10(np.abs(h)), np.degrees(np.unwrap(np.angle(h)))


def timed(job):
    count, start = 0, time.process_time()
    while True:
        job()
        count += 1
        spent = time.process_time() - start
        if spent >= 0.2:
            return spent / count * 1e6


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    jobs = {name: (lambda c=case: margins(*c)) for name, case in CASES.items()}
    jobs["LogCharacteristicsFifteen"] = bode
    jobs["LogCharacteristicsFifteenWithRoots"] = lambda: (bode(), np.roots(FIFTEEN))
    for name, job in jobs.items():
        figures = sorted(timed(job) for _ in range(rounds))
        print(f"{name} {figures[len(figures) // 2]:.1f}")


if __name__ == "__main__":
    main()
