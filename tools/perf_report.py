#!/usr/bin/python3
"""Measures start-up time and memory of the program against a minimal Qt Widgets window, and
writes docs/PERFORMANCE.md with the figures and the benchmark output.

Usage: /usr/bin/python3 tools/perf_report.py [BUILD_DIR] [--runs N] [--output FILE]

Needs Debian's python3 (for python3-xlib), Xvfb and a RelWithDebInfo or Release build of
tesserin, minimal_window and the bench_* programs.

Each run starts the program on a private Xvfb and watches the X server: "mapped" is the moment
the main window is mapped, "painted" the moment its centre pixel is no longer the black of the
empty screen, that is, the program has drawn its first frame. Memory is VmRSS from /proc one
second after the first paint. Runs of the three cases are interleaved so that the machine's
background load spreads evenly over them.
"""

import argparse
import datetime
import os
import platform
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display as xdisplay

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIG_BODY_CHARS = 1_000_000
BIG_SHORT_TEXTS = 32_766
SETTLE_SECONDS = 1.0
START_TARGET_RATIO = 1.3
BIG_START_TARGET_MS = 300
BIG_MEMORY_TARGET_MIB = 30


def start_xvfb(tmp):
    read_fd, write_fd = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1920x1200x24",
         "-nolisten", "tcp", "-noreset", "-br"],
        pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        ready, _, _ = select.select([read_fd], [], [], 0.5)
        if ready:
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
    os.close(read_fd)
    if not number.strip():
        proc.kill()
        sys.exit("Xvfb did not start")
    return proc, ":" + number.decode().strip()


def vm_rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def write_big_store(path):
    """Three bodies of a million characters each and 32,766 short texts, as INI text."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    line_no = 0
    bodies = []
    for slot in range(3):
        parts, size = [], 0
        while size < BIG_BODY_CHARS:
            line = f"スロット{slot + 1}の本文、{line_no:06d}行目です。 The quick brown fox."
            parts.append(line)
            size += len(line) + 2
            line_no += 1
        bodies.append("\\r\\n".join(parts) + "\\r\\n")
    with open(path, "w", encoding="utf-8", newline="\n") as ini:
        ini.write("[Data]\n")
        for slot in range(3):
            ini.write(f"str{slot + 1}={bodies[slot]}\n")
            ini.write(f"Title{slot + 1}=スロット{slot + 1}の題\n")
        ini.write("info0=ハンドル\ninfo1=mail@example.org\ninfo2=https://example.org/\n")
        for n in range(BIG_SHORT_TEXTS):
            ini.write(f"tanbun{n}=短文その{n:05d} (^o^)\n")
        ini.write(f"tanbun{BIG_SHORT_TEXTS}=\n")
        ini.write("\n[Setting]\nLock=unlock\n")


class Case:
    def __init__(self, name, program, wm_class, store=None):
        self.name = name
        self.program = program
        self.wm_class = wm_class
        self.store = store  # None: an empty store, removed before every run
        self.mapped, self.painted, self.rss = [], [], []


def window_class(win):
    try:
        cls = win.get_wm_class()
    except Exception:
        return None
    return cls


def run_once(case, disp, display_name, tmp):
    home = os.path.join(tmp, "home")
    config = os.path.join(tmp, "config")
    runtime = os.path.join(tmp, "run")
    shutil.rmtree(config, ignore_errors=True)
    os.makedirs(home, exist_ok=True)
    os.makedirs(runtime, mode=0o700, exist_ok=True)
    if case.store:
        target = os.path.join(config, "Tesserin", "Tesserin.conf")
        os.makedirs(os.path.dirname(target))
        shutil.copyfile(case.store, target)
    env = {k: v for k, v in os.environ.items()
           if k not in ("WAYLAND_DISPLAY", "SESSION_MANAGER", "QT_QPA_PLATFORM")}
    env.update(DISPLAY=display_name, HOME=home, XDG_CONFIG_HOME=config,
               XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb")

    root = disp.screen().root
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    disp.sync()
    while disp.pending_events():
        disp.next_event()

    t0 = time.monotonic()
    proc = subprocess.Popen([case.program], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    window = None
    mapped = painted = None
    deadline = t0 + 30
    try:
        while window is None:
            if time.monotonic() > deadline:
                raise RuntimeError(f"{case.name}: no window appeared")
            if not disp.pending_events():
                select.select([disp.fileno()], [], [], 0.05)
                continue
            event = disp.next_event()
            if event.type == X.MapNotify and not event.override:
                cls = window_class(event.window)
                if cls and case.wm_class in cls:
                    window = event.window
                    mapped = time.monotonic()
        geometry = window.get_geometry()
        cx, cy = geometry.width // 2, geometry.height // 2
        while painted is None:
            if time.monotonic() > deadline:
                raise RuntimeError(f"{case.name}: the window was never painted")
            pixel = window.get_image(cx, cy, 1, 1, X.ZPixmap, 0xFFFFFFFF).data
            if any(pixel[:3]):
                painted = time.monotonic()
                if os.environ.get("PERF_DEBUG"):
                    print(case.name, "first pixel", list(pixel[:3]), file=sys.stderr)
            else:
                time.sleep(0.001)
        time.sleep(SETTLE_SECONDS)
        rss = vm_rss_kib(proc.pid)
    finally:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
    root.change_attributes(event_mask=0)
    disp.sync()
    if case.store:
        # The store must have loaded whole: the program writes it back at SIGTERM.
        with open(os.path.join(config, "Tesserin", "Tesserin.conf"), encoding="utf-8") as ini:
            text = ini.read()
        if f"tanbun{BIG_SHORT_TEXTS - 1}=" not in text or len(text) < 3 * BIG_BODY_CHARS:
            raise RuntimeError(f"{case.name}: the store did not come back whole")
    case.mapped.append((mapped - t0) * 1000)
    case.painted.append((painted - t0) * 1000)
    case.rss.append(rss / 1024)


def median(values):
    return statistics.median(values)


def run_benchmarks(build):
    outputs = []
    bench_dir = os.path.join(build, "bench")
    if not os.path.isdir(bench_dir):
        return outputs
    for name in sorted(os.listdir(bench_dir)):
        path = os.path.join(bench_dir, name)
        if not name.startswith("bench_") or not os.access(path, os.X_OK) or os.path.isdir(path):
            continue
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        with tempfile.TemporaryDirectory() as tmp:
            runtime = os.path.join(tmp, "run")
            os.makedirs(runtime, mode=0o700)
            env.update(XDG_RUNTIME_DIR=runtime, XDG_CONFIG_HOME=os.path.join(tmp, "config"),
                       HOME=tmp)
            result = subprocess.run([path, "--benchmark_format=console"], env=env,
                                    capture_output=True, text=True, timeout=1200)
        text = result.stdout.strip()
        if result.returncode != 0:
            text += f"\n(exit status {result.returncode})\n{result.stderr.strip()[-2000:]}"
        outputs.append((name, text))
    return outputs


def verdict(ok):
    return "met" if ok else "NOT met"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build", nargs="?", default=os.path.join(ROOT, "build"))
    parser.add_argument("--runs", type=int, default=25)
    parser.add_argument("--output", default=os.path.join(ROOT, "docs", "PERFORMANCE.md"))
    parser.add_argument("--no-bench", action="store_true", help="skip the bench_* programs")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    tesserin = os.path.join(build, "tesserin")
    minimal = os.path.join(build, "tools", "minimal_window")
    for path in (tesserin, minimal):
        if not os.access(path, os.X_OK):
            sys.exit(f"missing {path}: build the project first")
    build_type = "?"
    with open(os.path.join(build, "CMakeCache.txt")) as cache:
        for line in cache:
            if line.startswith("CMAKE_BUILD_TYPE:"):
                build_type = line.split("=", 1)[1].strip()

    with tempfile.TemporaryDirectory(prefix="tesserin-perf.") as tmp:
        big_store = os.path.join(tmp, "big", "Tesserin.conf")
        write_big_store(big_store)
        store_mib = os.path.getsize(big_store) / 1024 / 1024
        xvfb, display_name = start_xvfb(tmp)
        try:
            disp = xdisplay.Display(display_name)
            cases = [Case("minimal window", minimal, "minimal_window"),
                     Case("tesserin, empty store", tesserin, "tesserin"),
                     Case("tesserin, big store", tesserin, "tesserin", big_store)]
            for case in cases:  # one warm-up run each: file cache, fontconfig cache
                run_once(case, disp, display_name, tmp)
                case.mapped.clear(), case.painted.clear(), case.rss.clear()
            for n in range(args.runs):
                for case in (cases if n % 2 == 0 else list(reversed(cases))):
                    run_once(case, disp, display_name, tmp)
                print(f"run {n + 1}/{args.runs} done", file=sys.stderr)
            disp.close()
        finally:
            xvfb.terminate()
            xvfb.wait()

    benches = [] if args.no_bench else run_benchmarks(build)

    minimal_c, empty_c, big_c = cases
    m_paint, e_paint, b_paint = (median(c.painted) for c in cases)
    m_map, e_map, b_map = (median(c.mapped) for c in cases)
    m_rss, e_rss, b_rss = (median(c.rss) for c in cases)
    start_ratio = e_paint / m_paint
    rss_ratio = e_rss / m_rss
    big_extra = b_rss - e_rss

    cpu = "?"
    try:
        with open("/proc/cpuinfo") as info:
            for line in info:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass

    def row(case):
        return (f"| {case.name} | {median(case.mapped):.0f} | {median(case.painted):.0f} | "
                f"{min(case.painted):.0f}–{max(case.painted):.0f} | {median(case.rss):.1f} |")

    lines = [
        "# Performance",
        "",
        f"Produced by `tools/perf_report.py` on {datetime.date.today().isoformat()}; do not edit "
        "by hand, run `/usr/bin/python3 tools/perf_report.py BUILD_DIR` again.",
        "",
        f"Machine: {cpu}, {os.cpu_count()} cores, {platform.platform()}. Build type: "
        f"{build_type}. Display: Xvfb 1920x1200x24, no window manager. Each figure is the median "
        f"of {args.runs} runs (after one warm-up run each); the three cases were run interleaved "
        "in one session.",
        "",
        "- *mapped*: process start to the main window being mapped by the X server;",
        "- *painted*: process start to the first frame drawn (the window's centre pixel is no "
        "longer the empty screen's black);",
        f"- *memory*: VmRSS {SETTLE_SECONDS:.0f} s after the first frame.",
        "",
        f"The big store is an INI file of {store_mib:.1f} MiB: three bodies of "
        f"{BIG_BODY_CHARS:,} characters (Japanese and ASCII lines), 32,766 short texts, and the "
        "personal details. The minimal window is `tools/minimal_window.cpp`: a QMainWindow with "
        "one label, built in the same tree with the same flags.",
        "",
        "## Start-up and memory",
        "",
        "| case | mapped (ms) | painted (ms) | painted, range (ms) | memory (MiB) |",
        "| --- | ---: | ---: | ---: | ---: |",
        row(minimal_c),
        row(empty_c),
        row(big_c),
        "",
        "## Against the targets",
        "",
        "| target | measured | |",
        "| --- | --- | --- |",
        f"| empty store: start within {START_TARGET_RATIO}x the minimal window | "
        f"{start_ratio:.2f}x ({e_paint:.0f} ms against {m_paint:.0f} ms) | "
        f"{verdict(start_ratio <= START_TARGET_RATIO)} |",
        f"| empty store: memory within {START_TARGET_RATIO}x the minimal window | "
        f"{rss_ratio:.2f}x ({e_rss:.1f} MiB against {m_rss:.1f} MiB) | "
        f"{verdict(rss_ratio <= START_TARGET_RATIO)} |",
        f"| big store: shown within {BIG_START_TARGET_MS} ms of the start | "
        f"{b_paint:.0f} ms painted ({b_map:.0f} ms mapped) | "
        f"{verdict(b_paint <= BIG_START_TARGET_MS)} |",
        f"| big store: memory within {BIG_MEMORY_TARGET_MIB} MiB of the empty store | "
        f"+{big_extra:.1f} MiB ({b_rss:.1f} against {e_rss:.1f} MiB) | "
        f"{verdict(big_extra <= BIG_MEMORY_TARGET_MIB)} |",
        "",
        f"Start-up ratio by mapping instead of painting: {e_map / m_map:.2f}x; by the fastest "
        f"run of each instead of the median: {min(empty_c.painted) / min(minimal_c.painted):.2f}x "
        f"({min(empty_c.painted):.0f} ms against {min(minimal_c.painted):.0f} ms). Other work on "
        "the machine moves these few-millisecond figures; compare ratios from one run of the "
        "script only.",
        "",
    ]
    if benches:
        lines += ["## Benchmarks", "",
                  "The `bench_*` programs of the same build, run with "
                  "`--benchmark_format=console` on the offscreen platform:", ""]
        for name, text in benches:
            lines += [f"### {name}", "", "```", text, "```", ""]
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    with open(args.output, "w", encoding="utf-8") as out:
        out.write("\n".join(lines))
    print("\n".join(line for line in lines if line.startswith("|")))


if __name__ == "__main__":
    main()
