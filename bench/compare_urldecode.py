#!/usr/bin/env python3
"""UrlDecode against Python's unquote_plus(s, encoding='gbk') on the same 1 MiB body, one run."""
import os
import random
import subprocess
import sys
import tempfile
import time
import json
from urllib.parse import unquote_plus


def body(size):
    rng = random.Random(42)
    parts, n, field = [], 0, 0
    while n < size:
        p = [f"field{field}="]
        field += 1
        for _ in range(4 + rng.randrange(40)):
            r = rng.randrange(10)
            if r < 7:
                p.append("%%%02X%%%02X" % (0xB0 + rng.randrange(0x40), 0xA1 + rng.randrange(0x5E)))
            elif r < 9:
                p.append(chr(ord('a') + rng.randrange(26)))
            else:
                p.append('+')
        p.append('&')
        s = ''.join(p)
        parts.append(s)
        n += len(s)
    return ''.join(parts)[:size]


def main():
    bench = sys.argv[1]
    text = body(1 << 20)
    best = min(timing(text) for _ in range(5))
    with tempfile.NamedTemporaryFile('w', suffix='.txt', delete=False) as f:
        f.write(text)
    try:
        env = dict(os.environ, SITECAPTURE_BENCH_BODY=f.name)
        out = subprocess.run([bench, '--benchmark_filter=BM_UrlDecodeFile', '--benchmark_format=json'],
                             env=env, check=True, capture_output=True, text=True).stdout
    finally:
        os.unlink(f.name)
    ours = json.loads(out)['benchmarks'][0]
    ours_s = ours['real_time'] / {'ns': 1e9, 'us': 1e6, 'ms': 1e3, 's': 1}[ours['time_unit']]
    print(f"UrlDecode 1 MiB: sitecapture {ours_s * 1e3:.2f} ms, "
          f"python unquote_plus(gbk) {best * 1e3:.2f} ms, ratio {best / ours_s:.1f}x")


def timing(text):
    t = time.perf_counter()
    unquote_plus(text, encoding='gbk')
    return time.perf_counter() - t


if __name__ == '__main__':
    main()
