#!/bin/sh
# SPDX-License-Identifier: MIT
# The tables a change of the analysis must leave byte for byte as they were: the class of the
# class benchmark and every class file of the fuzz corpus through `batch`, and random variants
# (a fixed seed) through `analyse`: 300 of n <= 6 with delays up to 40 s, and 100 of n up to 15
# built from repeated factors. Run it with the previous and the new nirdal-cli and compare:
#   bench/guard_tables.sh old/nirdal-cli > old.txt; bench/guard_tables.sh new/nirdal-cli > new.txt
#   cmp old.txt new.txt
set -eu
cli=$1
root=$(cd "$(dirname "$0")/.." && pwd)
for file in "$root/docs/samples/class.csv" "$root"/fuzz/corpus/class_file/*; do
    echo "== $(basename "$file")"
    "$cli" batch "$file" --format csv 2>&1 || true
done
echo "== random variants"
python3 - <<'PY' | while read -r tf; do "$cli" analyse --tf "$tf" --format csv 2>&1 | tail -n 1 || true; done
import random
rng = random.Random(31)
def product(factors):
    c = [1.0]
    for f in factors:
        c = [a + b for a, b in zip(c + [0.0], [0.0] + [x * f for x in c])]
    return c
def text(c):
    return ",".join(repr(x) for x in c)
for _ in range(300):
    n = rng.randint(1, 6)
    den = [round(rng.uniform(0.05, 20), 3) for _ in range(n + 1)]
    num = [round(rng.uniform(-10, 10), 3) for _ in range(rng.randint(1, n))]
    delay = 0 if rng.random() < 0.3 else round(rng.uniform(0, 40), 3)
    print(f"{text(num)}:{text(den)}:{delay}")
for _ in range(100):
    roots = []
    while len(roots) < 15:
        roots += [round(rng.uniform(0.1, 5), 2)] * rng.randint(1, 8)
    roots = roots[:rng.randint(2, 15)]
    gain = round(rng.uniform(0.05, 3), 3)
    delay = 0 if rng.random() < 0.5 else round(rng.uniform(0, 5), 3)
    print(f"{gain}:{text(product(roots))}:{delay}")
PY
