#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Measures the program's start-up, memory and benchmarks, and writes docs/PERFORMANCE.md.

Usage (Debian's /usr/bin/python3, for python3-xlib):
  perf_report.py measure [--build DIR] [--runs N] [--repetitions N] [--results FILE]
  perf_report.py report [--results FILE] [--output FILE]
  perf_report.py all ...        measure, then report

`bash tools/setup.sh perf` installs what this needs, builds build-perf/ and runs `all`.

measure: writes a results file (JSON). The start-up runs happen under `xvfb-run -a` (the
script starts itself again inside it): "mapped" is the moment the X server maps the main window,
"painted" the moment its centre pixel is no longer the black of the empty screen (Xvfb -br, no
window manager), that is, the first frame is drawn. Memory is VmRSS one second after the first
paint. Runs of the three cases are interleaved so that background load spreads evenly over them.
The big store is written by tools/perf_store (the program's own store code). Every bench_*
program of the build runs with repetitions; the figures are their medians of real time.

report: turns a results file into the Markdown page, each target beside its figure and its
reference. It never measures, so a page can be regenerated from saved results.
"""

import argparse
import datetime
import json
import os
import platform
import re
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_BUILD = os.path.join(ROOT, "build-perf")
DEFAULT_RESULTS = os.path.join(ROOT, "docs", "performance-results.json")
DEFAULT_OUTPUT = os.path.join(ROOT, "docs", "PERFORMANCE.md")
XVFB_ARGS = "-screen 0 1920x1200x24 -nolisten tcp -noreset -br"
UNDER_XVFB = "TESSERIN_PERF_UNDER_XVFB"
SHORT_TEXTS = 32_766
SETTLE_SECONDS = 1.0
MIB = 1024 * 1024


# --- measuring -----------------------------------------------------------------------------

def vm_rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def run_once(case, disp, tmp, runtime):
    from Xlib import X

    home, config = (os.path.join(tmp, d) for d in ("home", "config"))
    shutil.rmtree(config, ignore_errors=True)
    os.makedirs(home, exist_ok=True)
    store = os.path.join(config, "Tesserin", "Tesserin.conf")
    if case["store"]:
        os.makedirs(os.path.dirname(store))
        shutil.copyfile(case["store"], store)
    env = {k: v for k, v in os.environ.items()
           if k not in ("WAYLAND_DISPLAY", "SESSION_MANAGER", "QT_QPA_PLATFORM")}
    env.update(HOME=home, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb")

    root = disp.screen().root
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    disp.sync()
    while disp.pending_events():
        disp.next_event()

    t0 = time.monotonic()
    proc = subprocess.Popen([case["program"]], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    window = mapped = painted = None
    deadline = t0 + 30
    try:
        while window is None:
            if time.monotonic() > deadline:
                raise RuntimeError(f"{case['name']}: no window appeared")
            if not disp.pending_events():
                select.select([disp.fileno()], [], [], 0.05)
                continue
            event = disp.next_event()
            if event.type == X.MapNotify and not event.override:
                try:
                    cls = event.window.get_wm_class()
                except Exception:
                    cls = None
                if cls and case["wm_class"] in cls:
                    window, mapped = event.window, time.monotonic()
        geometry = window.get_geometry()
        cx, cy = geometry.width // 2, geometry.height // 2
        while painted is None:
            if time.monotonic() > deadline:
                raise RuntimeError(f"{case['name']}: the window was never painted")
            if any(window.get_image(cx, cy, 1, 1, X.ZPixmap, 0xFFFFFFFF).data[:3]):
                painted = time.monotonic()
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
    if case["store"]:
        # The program writes the store back at SIGTERM: it must have loaded whole.
        with open(store, encoding="utf-8") as ini:
            text = ini.read()
        if f"tanbun{SHORT_TEXTS - 1}=" not in text or len(text) < 3_000_000:
            raise RuntimeError(f"{case['name']}: the store did not come back whole")
    case["mapped_ms"].append(round((mapped - t0) * 1000, 2))
    case["painted_ms"].append(round((painted - t0) * 1000, 2))
    case["rss_mib"].append(round(rss / 1024, 2))


def measure_startup(build, runs):
    """Runs inside xvfb-run: the start-up cases, interleaved."""
    from Xlib import display as xdisplay

    # A login session's runtime folder is a tmpfs (/run/user/UID), where the instance lock's
    # fdatasync costs nothing; /dev/shm stands in for it when there is one.
    shm = "/dev/shm" if os.path.isdir("/dev/shm") and os.access("/dev/shm", os.W_OK) else None
    with tempfile.TemporaryDirectory(prefix="tesserin-perf.") as tmp, \
            tempfile.TemporaryDirectory(prefix="tesserin-run.", dir=shm) as runtime:
        os.chmod(runtime, 0o700)
        big_store = os.path.join(tmp, "big.conf")
        subprocess.run([os.path.join(build, "tools", "perf_store"), big_store], check=True,
                       env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
        cases = [dict(name=name, program=program, wm_class=cls, store=store,
                      mapped_ms=[], painted_ms=[], rss_mib=[])
                 for name, program, cls, store in (
                     ("bare window", os.path.join(build, "tools", "minimal_window"),
                      "minimal_window", None),
                     ("empty store", os.path.join(build, "tesserin"), "tesserin", None),
                     ("big store", os.path.join(build, "tesserin"), "tesserin", big_store))]
        disp = xdisplay.Display()
        for case in cases:  # one warm-up run each: file cache, fontconfig cache
            run_once(case, disp, tmp, runtime)
            for key in ("mapped_ms", "painted_ms", "rss_mib"):
                case[key].clear()
        for n in range(runs):
            for case in (cases if n % 2 == 0 else list(reversed(cases))):
                run_once(case, disp, tmp, runtime)
            print(f"start-up run {n + 1}/{runs} done", file=sys.stderr)
        disp.close()
        store_mib = os.path.getsize(big_store) / MIB
    for case in cases:
        del case["program"], case["store"]
    return dict(cases=cases, big_store_mib=round(store_mib, 2),
                display="Xvfb (xvfb-run -a) " + XVFB_ARGS + ", no window manager",
                runtime="a tmpfs folder in /dev/shm, as a login session's /run/user/UID"
                if shm else "a folder on the temporary disk")


def to_ms(value, unit):
    return value * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[unit]


def run_benchmarks(build, repetitions):
    """Every bench_* program, with repetitions; returns {name: figures} and the programs run."""
    results, programs = {}, []
    bench_dir = os.path.join(build, "bench")
    names = sorted(os.listdir(bench_dir)) if os.path.isdir(bench_dir) else []
    for program in names:
        path = os.path.join(bench_dir, program)
        if not program.startswith("bench_") or os.path.isdir(path) or not os.access(path, os.X_OK):
            continue
        print(f"running {program}", file=sys.stderr)
        with tempfile.TemporaryDirectory(prefix="tesserin-bench.") as tmp:
            runtime = os.path.join(tmp, "run")
            os.makedirs(runtime, mode=0o700)
            out = os.path.join(tmp, "out.json")
            env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=runtime,
                       XDG_CONFIG_HOME=os.path.join(tmp, "config"), HOME=tmp)
            done = subprocess.run(
                [path, f"--benchmark_repetitions={repetitions}",
                 "--benchmark_report_aggregates_only=true", f"--benchmark_out={out}",
                 "--benchmark_out_format=json"],
                env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                timeout=3600)
            data = {"benchmarks": []}
            if os.path.exists(out):
                with open(out) as f:
                    data = json.load(f)
        programs.append(dict(program=program, exit_status=done.returncode,
                             stderr_tail=done.stderr.strip()[-1000:] if done.returncode else ""))
        for b in data.get("benchmarks", []):
            name = b.get("run_name", b["name"])
            entry = results.setdefault(name, dict(program=program))
            if b.get("error_occurred"):
                entry["error"] = b.get("error_message", "error")
                continue
            kind = b.get("aggregate_name") if b.get("run_type") == "aggregate" else "single"
            if kind in ("median", "single"):
                entry["median_ms"] = round(to_ms(b["real_time"], b["time_unit"]), 4)
                entry["cpu_ms"] = round(to_ms(b["cpu_time"], b["time_unit"]), 4)
                entry["iterations"] = b.get("iterations")
                entry["counters"] = {k: v for k, v in b.items()
                                     if isinstance(v, (int, float)) and k not in (
                                         "real_time", "cpu_time", "iterations", "repetitions",
                                         "repetition_index", "threads", "family_index",
                                         "per_family_instance_index")}
            elif kind == "cv":
                entry["cv"] = round(b["real_time"], 4)
            entry["repetitions"] = b.get("repetitions", 1)
    return results, programs


def machine():
    cpu = "?"
    try:
        with open("/proc/cpuinfo") as info:
            cpu = next((line.split(":", 1)[1].strip() for line in info
                        if line.startswith("model name")), "?")
    except OSError:
        pass
    return dict(cpu=cpu, cores=os.cpu_count(), platform=platform.platform())


def build_info(build):
    build_type = "?"
    with open(os.path.join(build, "CMakeCache.txt")) as cache:
        for line in cache:
            if line.startswith("CMAKE_BUILD_TYPE:"):
                build_type = line.split("=", 1)[1].strip()
    commit = subprocess.run(["git", "-C", ROOT, "describe", "--always", "--dirty"],
                            capture_output=True, text=True).stdout.strip() or "?"
    return dict(build_type=build_type, commit=commit)


def measure(args):
    build = os.path.abspath(args.build)
    for program in ("tesserin", "tools/minimal_window", "tools/perf_store"):
        if not os.access(os.path.join(build, program), os.X_OK):
            sys.exit(f"missing {os.path.join(build, program)}: build the project first")
    load_before = os.getloadavg()
    if os.environ.get(UNDER_XVFB) != "1":
        if not shutil.which("xvfb-run"):
            sys.exit("xvfb-run is missing: bash tools/setup.sh perf installs it")
        # Start-up needs a display of its own: this script again, inside xvfb-run.
        with tempfile.NamedTemporaryFile(prefix="tesserin-startup.", suffix=".json") as part:
            subprocess.run(["xvfb-run", "-a", "-s", XVFB_ARGS, sys.executable,
                            os.path.abspath(__file__), "measure", "--build", build,
                            "--runs", str(args.runs), "--startup-only", part.name],
                           env=dict(os.environ, **{UNDER_XVFB: "1"}), check=True)
            with open(part.name) as f:
                startup = json.load(f)
    else:
        startup = measure_startup(build, args.runs)
        if args.startup_only:
            with open(args.startup_only, "w") as f:
                json.dump(startup, f)
            return
    benchmarks, programs = run_benchmarks(build, args.repetitions)
    results = dict(
        date=datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
        machine=machine(), build=build_info(build), runs=args.runs,
        repetitions=args.repetitions, load_average=[round(x, 2) for x in load_before],
        load_average_end=[round(x, 2) for x in os.getloadavg()],
        startup=startup, benchmarks=benchmarks, bench_programs=programs)
    os.makedirs(os.path.dirname(os.path.abspath(args.results)), exist_ok=True)
    with open(args.results, "w", encoding="utf-8") as f:
        json.dump(results, f, indent=1, ensure_ascii=False)
        f.write("\n")
    print(f"results written to {args.results}", file=sys.stderr)


# --- reporting -----------------------------------------------------------------------------

def normal(name):
    """A benchmark name folded for matching: lower case, letters and digits only."""
    name = name.lower().replace("shift_jis", "sjis").replace("shiftjis", "sjis")
    return re.sub(r"[^a-z0-9/]", "", name)


def find(benchmarks, *, exact=(), need=(), avoid=()):
    """The first benchmark named one of `exact`, else one whose folded name holds every part
    of `need` and none of `avoid`; None when there is none."""
    for name in exact:
        if name in benchmarks:
            return name
    if need:
        for name in sorted(benchmarks):
            folded = normal(name)
            if all(n in folded for n in need) and not any(a in folded for a in avoid):
                return name
    return None


def figure(benchmarks, name):
    """(milliseconds, note) of a benchmark's median, or (None, why not)."""
    if name is None:
        return None, "not measured"
    entry = benchmarks[name]
    if "error" in entry:
        return None, f"failed: {entry['error']}"
    # A benchmark that reports the blocked time as a counter is read by that counter.
    for key, value in entry.get("counters", {}).items():
        if "block" in key.lower():
            return value, f"`{name}`, counter {key}"
    if "median_ms" not in entry:
        return None, "not measured"
    return entry["median_ms"], f"`{name}`, CPU {ms(entry.get('cpu_ms'))}"


def ms(value):
    return "—" if value is None else (f"{value:.1f} ms" if value < 100 else f"{value:.0f} ms")


def verdict(ok):
    if ok is None:
        return "not measured"
    return "met" if ok else "**not met**"


def target_rows(r):
    """(measure, target, figure, reference, verdict) for every target, from one results file."""
    rows = []
    cases = {c["name"]: c for c in r["startup"]["cases"]}
    med = {n: {k: statistics.median(c[k]) for k in ("mapped_ms", "painted_ms", "rss_mib")}
           for n, c in cases.items()}
    bare, empty, big = med["bare window"], med["empty store"], med["big store"]

    ratio = empty["painted_ms"] / bare["painted_ms"]
    rows.append(("start to first painted frame, empty store", "<= 1.10x the bare window",
                 f"{ratio:.3f}x ({ms(empty['painted_ms'])})",
                 f"bare window {ms(bare['painted_ms'])}", verdict(ratio <= 1.10)))
    ratio = empty["rss_mib"] / bare["rss_mib"]
    rows.append(("resident memory 1 s after the first frame, empty store",
                 "<= 1.10x the bare window", f"{ratio:.3f}x ({empty['rss_mib']:.1f} MiB)",
                 f"bare window {bare['rss_mib']:.1f} MiB", verdict(ratio <= 1.10)))
    rows.append(("big store: start to painted", "< 150 ms", ms(big["painted_ms"]), "—",
                 verdict(big["painted_ms"] < 150)))
    extra = big["rss_mib"] - empty["rss_mib"]
    rows.append(("big store: resident memory", "<= empty store + 20 MiB",
                 f"+{extra:.1f} MiB ({big['rss_mib']:.1f} MiB)",
                 f"empty store {empty['rss_mib']:.1f} MiB; the texts are about 6 MiB as UTF-16",
                 verdict(extra <= 20)))

    b = r["benchmarks"]
    close, close_note = figure(b, find(b, exact=("BM_CloseWindow/2",)))
    floor, floor_note = figure(b, find(b, exact=("BM_WriteSameBytes/2",)))
    write, write_note = figure(b, find(b, exact=("BM_WriteStore/2",)))
    rows.append(("close-time write of the big store", "< 50 ms",
                 f"{ms(close)} ({close_note}); the store's write alone {ms(write)} ({write_note})",
                 f"the same bytes with QSaveFile {ms(floor)} ({floor_note})",
                 verdict(None if close is None else close < 50)))
    switch, switch_note = figure(b, find(b, exact=("BM_SlotSwitch/2",)))
    rows.append(("one slot switch with 1 MB bodies", "< 30 ms", f"{ms(switch)} ({switch_note})",
                 "—", verdict(None if switch is None else switch < 30)))
    for label, enc in (("Shift-JIS", "sjis"), ("UTF-8", "utf8")):
        read, read_note = figure(b, find(b, need=("readindexed", enc),
                                         avoid=("linebyline", "linear")))
        base, base_note = figure(b, find(b, need=("decodeandsplit", enc)))
        if read is None:
            ok = None
        elif base is None:
            ok = None if read < 30 else False  # the ratio is unknown, the bound alone may fail
        else:
            ok = read < 30 and read <= 3 * base
        ratio = "" if read is None or base is None else f", {read / base:.1f}x the floor"
        rows.append((f"reading face.txt, 32,767 groups, 100,000 lines ({label})",
                     "< 30 ms and <= 3x the decode-and-split floor",
                     f"{ms(read)} ({read_note}{ratio})", f"floor {ms(base)} ({base_note})",
                     verdict(ok)))
    # One row per picker benchmark (a file per encoding, perhaps).
    pickers = [n for n in sorted(b) if "openpicker" in normal(n)] or [None]
    for name in pickers:
        picker, picker_note = figure(b, name)
        rows.append(("opening the picker on that file", "< 60 ms", f"{ms(picker)} ({picker_note})",
                     "—", verdict(None if picker is None else picker < 60)))
    blocked, blocked_note = figure(
        b, find(b, need=("background", "/2")) or find(b, need=("background",)))
    rows.append(("event loop blocked by one background save of the big store", "< 16 ms",
                 f"{ms(blocked)} ({blocked_note})", "one frame at 60 Hz, 16.7 ms",
                 verdict(None if blocked is None else blocked < 16)))
    return rows


# The benchmark names a target is read from, for the page to say what it looked for.
EXPECTED = {
    "reading face.txt, 32,767 groups, 100,000 lines (Shift-JIS)":
        "readIndexed/sjis and decodeAndSplit/sjis in bench_faces",
    "reading face.txt, 32,767 groups, 100,000 lines (UTF-8)":
        "readIndexed/utf8 and decodeAndSplit/utf8 in bench_faces",
    "opening the picker on that file": "openPicker in bench_faces",
    "event loop blocked by one background save of the big store":
        "a benchmark named with \"background\" in bench_notebook, e.g. BM_BackgroundSaveBlocked/2",
    "close-time write of the big store": "BM_CloseWindow/2 and BM_WriteSameBytes/2",
    "one slot switch with 1 MB bodies": "BM_SlotSwitch/2",
}


def report(args):
    with open(args.results, encoding="utf-8") as f:
        r = json.load(f)
    rows = target_rows(r)
    results = os.path.relpath(os.path.abspath(args.results), ROOT)
    m, build, su = r["machine"], r["build"], r["startup"]
    load = r["load_average"]
    busy = max(load[0], r["load_average_end"][0]) > 0.5 * (m["cores"] or 1)
    lines = [
        "# Performance",
        "",
        f"Produced by `tools/perf_report.py` from `{results}`; do not edit by hand. "
        "`bash tools/setup.sh perf` builds a Release tree and measures again; "
        "`/usr/bin/python3 tools/perf_report.py report` rewrites this page from saved results.",
        "",
        f"Run: {r['date']}, commit {build['commit']}, build type {build['build_type']}, "
        f"{m['cpu']}, {m['cores']} cores, {m['platform']}. Load average "
        f"{load[0]:.2f} at the start of the measurement, {r['load_average_end'][0]:.2f} at its "
        "end" + ("; other work was running on the machine, so the figures are noisy." if busy
                 else "; the machine was otherwise quiet."),
        "",
        "## Targets",
        "",
        f"Medians: start-up and memory of {r['runs']} interleaved runs of each case, benchmarks of "
        f"{r['repetitions']} repetitions; every figure and its reference come from this one run. "
        "Benchmark targets are judged by real time; the CPU time beside it shows how much of "
        "that was waiting for a busy machine.",
        "",
        "| measure | target | figure | reference | |",
        "| --- | --- | --- | --- | --- |",
    ]
    lines += [f"| {' | '.join(row)} |" for row in rows]
    not_met = list(dict.fromkeys(row[0] for row in rows if row[4] == "**not met**"))
    missing = [f"{row[0]} (expects {EXPECTED[row[0]]})" if row[0] in EXPECTED else row[0]
               for row in rows if row[4] == "not measured"]
    missing = list(dict.fromkeys(missing))
    lines += ["",
              "Not met: " + ("; ".join(not_met) if not_met else "none") + ".",
              "",
              "Not measured (no benchmark of that name in this build, or it failed): "
              + ("; ".join(missing) if missing else "none") + ".",
              ""]
    if os.path.exists(args.notes):
        # Why a target is not met is a finding of the profiles, kept by hand beside the figures.
        with open(args.notes, encoding="utf-8") as notes:
            lines += [notes.read().strip(), ""]

    lines += [
        "## Start-up and memory",
        "",
        f"Display: {su['display']}. Runtime folder (XDG_RUNTIME_DIR, where the instance lock "
        f"lives): {su.get('runtime', 'a folder on the temporary disk')}. "
        "*Mapped*: process start to the main window being mapped; "
        "*painted*: process start to the first frame drawn (the window's centre pixel is no "
        f"longer the empty screen's black); *memory*: VmRSS {SETTLE_SECONDS:.0f} s after the "
        "first frame. The bare window is `tools/minimal_window.cpp`: a QMainWindow of the main "
        "window's client size with a menu bar of one menu, built in the same tree. The big store "
        f"({su['big_store_mib']:.1f} MiB: three bodies of 1,000,000 characters, {SHORT_TEXTS:,} "
        "short texts) is written by `tools/perf_store.cpp` through the program's own store code.",
        "",
        "| case | mapped | painted | painted, fastest–slowest | memory |",
        "| --- | ---: | ---: | ---: | ---: |",
    ]
    for c in su["cases"]:
        lines.append(f"| {c['name']} | {ms(statistics.median(c['mapped_ms']))} | "
                     f"{ms(statistics.median(c['painted_ms']))} | {min(c['painted_ms']):.0f}–"
                     f"{max(c['painted_ms']):.0f} ms | {statistics.median(c['rss_mib']):.1f} MiB |")

    lines += ["", "## Benchmarks", "",
              "Every `bench_*` program of the same build on the offscreen platform; median real "
              "time of the repetitions, CPU time beside it (a `/2` benchmark of `bench_notebook` "
              "works on the big store, `/1` on half of it).", "",
              "| program | benchmark | real | CPU | variation |",
              "| --- | --- | ---: | ---: | ---: |"]
    for name in sorted(r["benchmarks"], key=lambda n: (r["benchmarks"][n]["program"], n)):
        e = r["benchmarks"][name]
        if "error" in e:
            lines.append(f"| {e['program']} | {name} | failed: {e['error']} | | |")
            continue
        cv = f"{e['cv'] * 100:.0f}%" if "cv" in e else "—"
        lines.append(f"| {e['program']} | {name} | {ms(e.get('median_ms'))} | "
                     f"{ms(e.get('cpu_ms'))} | {cv} |")
    for p in r["bench_programs"]:
        if p["exit_status"]:
            lines += ["", f"{p['program']} ended with status {p['exit_status']}:", "", "```",
                      p["stderr_tail"], "```"]
    lines.append("")
    os.makedirs(os.path.dirname(os.path.abspath(args.output)), exist_ok=True)
    with open(args.output, "w", encoding="utf-8") as out:
        out.write("\n".join(lines))
    print("\n".join(line for line in lines[:lines.index("## Start-up and memory")]))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("step", choices=("measure", "report", "all"))
    parser.add_argument("--build", default=DEFAULT_BUILD)
    parser.add_argument("--runs", type=int, default=25)
    parser.add_argument("--repetitions", type=int, default=5)
    parser.add_argument("--results", default=DEFAULT_RESULTS)
    parser.add_argument("--output", default=DEFAULT_OUTPUT)
    parser.add_argument("--notes", default=os.path.join(ROOT, "docs", "performance-notes.md"),
                        help="Markdown put under the targets, if the file exists")
    parser.add_argument("--startup-only", help=argparse.SUPPRESS)
    args = parser.parse_args()
    if args.step in ("measure", "all"):
        measure(args)
    if args.step in ("report", "all") and not args.startup_only:
        report(args)


if __name__ == "__main__":
    main()
