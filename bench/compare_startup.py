#!/usr/bin/env python3
"""Start-up of sitecapture to its list window shown, with an empty database, side by side with
a bare Qt Widgets window holding one list: the time from the start of the process until its
window is mapped (polled with xdotool, the same way for both), and the resident memory once it
is shown. Needs a display (scripts/bench runs it under xvfb-run). Median of several runs."""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

RUNS = 9
LIMIT = 1.5


def shown(pid):
    r = subprocess.run(['xdotool', 'search', '--onlyvisible', '--pid', str(pid), '--name', '.'],
                       capture_output=True, text=True)
    return r.returncode == 0 and r.stdout.strip() != ''


def rss_mb(pid):
    with open(f'/proc/{pid}/status') as f:
        for line in f:
            if line.startswith('VmRSS:'):
                return int(line.split()[1]) / 1024
    return 0.0


def display_ready():
    # The X server takes new connections again a moment after a killed client is cleaned up.
    for _ in range(200):
        if subprocess.run(['xdotool', 'getmouselocation'], capture_output=True).returncode == 0:
            return
        time.sleep(0.01)


def measure(cmd, env):
    times, rss = [], []
    while len(times) < RUNS:
        t = time.perf_counter()
        p = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        while not shown(p.pid):
            if p.poll() is not None:
                said = p.stderr.read().decode()
                # Xvfb now and then refuses a connection right after a client was killed:
                # that run did not start, it is made again.
                if 'could not connect to display' in said:
                    break
                sys.exit(f"{cmd[0]} ended before showing a window: {said}")
            time.sleep(0.005)
            if time.perf_counter() - t > 20:
                p.kill()
                sys.exit(f'{cmd[0]} showed no window in 20 s')
        if p.poll() is not None:
            display_ready()
            continue
        times.append(time.perf_counter() - t)
        time.sleep(0.3)
        rss.append(rss_mb(p.pid))
        p.kill()
        p.wait()
        display_ready()
    return statistics.median(times), statistics.median(rss)


def main():
    build = sys.argv[1]
    env = dict(os.environ)
    with tempfile.TemporaryDirectory() as d:
        # The program beside its template, as installed; the first start makes the empty DIY.xqd.
        for f in ('sitecapture', 'sdk.dll'):
            shutil.copy(os.path.join(build, f), d)
        program = os.path.join(d, 'sitecapture')
        measure([program], env)
        bare_t, bare_rss = measure([os.path.join(build, 'sitecapture_bare_window')], env)
        ours_t, ours_rss = measure([program], env)
    t_ratio, m_ratio = ours_t / bare_t, ours_rss / bare_rss
    ok = t_ratio <= LIMIT and m_ratio <= LIMIT
    print(f"Start-up to the list window shown (empty database), median of {RUNS}:")
    print(f"  sitecapture  {ours_t * 1e3:7.1f} ms  {ours_rss:6.1f} MB resident")
    print(f"  bare window  {bare_t * 1e3:7.1f} ms  {bare_rss:6.1f} MB resident")
    print(f"  ratio        {t_ratio:7.2f}x    {m_ratio:6.2f}x  ({'within' if ok else 'OVER'} the {LIMIT}x limit)")
    if not ok:
        sys.exit(1)


if __name__ == '__main__':
    main()
