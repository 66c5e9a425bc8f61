#!/usr/bin/env python3
"""BM_ListSites/100000 and BM_FillSiteList/100000 (the list window filling its list) against the
sqlite3 shell printing the same rows of the same file to /dev/null ("select * from main order by
ID"), side by side in one run; the first listing into new records (BM_ListSitesFresh) is shown
beside them. Then the rows per second of BM_AddSite."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

UNITS = {'ns': 1e9, 'us': 1e6, 'ms': 1e3, 's': 1}
LIMIT = 3.0


def medians(bench, pattern, env):
    out = subprocess.run([bench, f'--benchmark_filter={pattern}', '--benchmark_format=json',
                          '--benchmark_repetitions=3', '--benchmark_report_aggregates_only=true'],
                         env=env, check=True, capture_output=True, text=True).stdout
    return {b['run_name']: b for b in json.loads(out)['benchmarks'] if b.get('aggregate_name') == 'median'}


def seconds(b):
    return b['real_time'] / UNITS[b['time_unit']]


def shell_seconds(db):
    best = None
    for _ in range(5):
        with open(os.devnull, 'w') as null:
            t = time.perf_counter()
            subprocess.run(['sqlite3', db, 'select * from main order by ID'], stdout=null, check=True)
            elapsed = time.perf_counter() - t
        best = elapsed if best is None else min(best, elapsed)
    return best


def main():
    bench = sys.argv[1]
    if not shutil.which('sqlite3'):
        sys.exit('sqlite3 shell not found (scripts/setup-deps installs it)')
    with tempfile.TemporaryDirectory() as d:
        env = dict(os.environ, SITECAPTURE_BENCH_DB_DIR=d)
        ours = medians(bench, '^BM_(ListSites|ListSitesFresh|FillSiteList)/100000(/real_time)?$', env)
        shell_s = shell_seconds(os.path.join(d, 'DIY.xqd'))
    rebuild = seconds(ours['BM_ListSites/100000'])
    fresh = seconds(ours['BM_ListSitesFresh/100000'])
    ratio = rebuild / shell_s
    verdict = 'within' if ratio <= LIMIT else 'OVER'
    print(f"ListSites 100000 rows: sitecapture {rebuild * 1e3:.1f} ms, sqlite3 shell {shell_s * 1e3:.1f} ms, "
          f"ratio {ratio:.2f}x ({verdict} the {LIMIT:.0f}x limit); "
          f"first listing into new records {fresh * 1e3:.1f} ms ({fresh / shell_s:.2f}x)")
    fill = seconds(next(b for name, b in ours.items() if name.startswith('BM_FillSiteList/100000')))
    fill_ratio = fill / shell_s
    print(f"FillSiteList 100000 rows (the list window, offscreen): {fill * 1e3:.1f} ms, "
          f"ratio {fill_ratio:.2f}x the shell ({'within' if fill_ratio <= LIMIT else 'OVER'} the {LIMIT:.0f}x limit)")
    ratio = max(ratio, fill_ratio)
    add = next(iter(medians(bench, '^BM_AddSite', dict(os.environ)).values()))
    print(f"AddSite, one transaction per row: {add['items_per_second']:.0f} rows/s")
    if ratio > LIMIT:
        sys.exit(1)


if __name__ == '__main__':
    main()
