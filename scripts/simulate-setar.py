#!/usr/bin/env python3
"""Writes a simulated two-regime threshold autoregression, one value per line.

    x_t = 0.3 + 0.5 x_(t-1) - 0.2 x_(t-2) + e_t   when x_(t-2) <= 0
    x_t = -0.2 - 0.4 x_(t-1) + e_t                  when x_(t-2) > 0

with e_t independent standard normal draws from Python's generator seeded with SEED, and
x_0 = x_1 = 0. Each value is written with ten significant digits, and the file is the series:
it is read back as written.

    scripts/simulate-setar.py LENGTH SEED > file
"""

import random
import sys


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: simulate-setar.py LENGTH SEED > file")
    length, seed = int(sys.argv[1]), int(sys.argv[2])
    draws = random.Random(seed)
    x = [0.0, 0.0]
    while len(x) < length:
        if x[-2] <= 0:
            mean = 0.3 + 0.5 * x[-1] - 0.2 * x[-2]
        else:
            mean = -0.2 - 0.4 * x[-1]
        x.append(mean + draws.gauss(0.0, 1.0))
    for value in x[:length]:
        print("%.10g" % value)


if __name__ == "__main__":
    main()
