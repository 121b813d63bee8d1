#!/usr/bin/env python3
"""Measures kovxmlmerge on generated reports, side by side with `wc -l` and
`xmllint --stream --noout` on the same files.

For each measurement: wall time (median of --repeat runs), MB/s of input,
peak RSS of the process, and the ratios to `wc -l` and `xmllint --stream`.
The runs of the three commands are interleaved, so background load hits them
alike and the ratios stay meaningful.

The layout section times 20 reports of 25 MB of one program in every layout
the generator writes (indentation, line ends, the order of a probe's
attributes): each layout against the fastest, and against `wc -l` and
`xmllint --stream` on its own files.

Every two-thread run reports where its time went (KOVXMLMERGE_THREAD_TIMES):
the CPU time of the reading thread and of the merging thread while the
reports were read, and how long each waited for the other.

  harness.py --bin BUILD/kovxmlmerge --work /tmp/kovbench [--repeat 3]
             [--reference OLD/kovxmlmerge] [--quick]

kovxmlmerge runs twice in each measurement: with the reading on a second
thread (its default on a machine with two cores) and all on one thread
(KOVXMLMERGE_THREADS=1).

With --reference, every kovxmlmerge run is repeated with that binary and the
outputs of both modes are compared byte for byte with its outputs (the run
time stamp masked).

The merge-state section saves the state of all runs of one program (-m) and
compares its size and the time to load it with one report of the program;
the outputs of a run continuing from it must be those of the one-run merge.
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "gen_reports.py")


def generate(work, name, params):
    """Generates a report set once; a stamp file remembers its parameters."""
    folder = os.path.join(work, name)
    stamp = os.path.join(folder, "params")
    wanted = " ".join(params)
    if os.path.exists(stamp) and open(stamp).read() == wanted:
        return folder
    shutil.rmtree(folder, ignore_errors=True)
    print("generating %s: %s" % (name, wanted), file=sys.stderr, flush=True)
    subprocess.run([sys.executable, GENERATOR, "--out", folder] + params, check=True)
    with open(stamp, "w") as stream:
        stream.write(wanted)
    return folder


def reports(folder, count=None):
    names = sorted(n for n in os.listdir(folder) if n.endswith(".xml"))
    if count is not None:
        names = names[:count]
    return [os.path.join(folder, n) for n in names]


TIMES_FILE = os.path.join(os.environ.get("TMPDIR", "/tmp"), "kovbench-times.%d" % os.getpid())


def run_once(command, stdout=subprocess.DEVNULL):
    """Wall seconds, peak RSS (MB), CPU seconds and the thread times (a dict,
    empty where the command wrote none) of one run of the command."""
    # GNU time reports the child's own peak: a child forked from this
    # interpreter would start its high-water mark at the interpreter's size.
    rss_file = os.path.join(os.environ.get("TMPDIR", "/tmp"), "kovbench-rss.%d" % os.getpid())
    if os.path.exists(TIMES_FILE):
        os.remove(TIMES_FILE)
    start = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-f", "%M %U %S", "-o", rss_file] + command,
                            stdout=stdout, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    if result.returncode != 0:
        raise SystemExit("failed (%d): %s\n%s" % (result.returncode, " ".join(command[:3]),
                                                  result.stderr.decode(errors="replace")))
    with open(rss_file) as stream:
        fields = stream.read().split()[-3:]
    os.remove(rss_file)
    times = {}
    if os.path.exists(TIMES_FILE):
        with open(TIMES_FILE) as stream:
            lines = stream.read().split("\n")
        os.remove(TIMES_FILE)
        last = [line for line in lines if line.strip()][-1:]
        for pair in (last[0].split() if last else []):
            key, _, value = pair.partition("=")
            times[key] = float(value)
    return wall, float(fields[0]) / 1024.0, float(fields[1]) + float(fields[2]), times


class Measure:
    def __init__(self):
        self.walls = []
        self.cpus = []
        self.rss = 0.0
        self.times = {}

    def add(self, wall, rss, cpu, times=None):
        self.walls.append(wall)
        self.cpus.append(cpu)
        self.rss = max(self.rss, rss)
        for key, value in (times or {}).items():
            self.times.setdefault(key, []).append(value)

    @property
    def median(self):
        return statistics.median(self.walls)

    @property
    def cpu(self):
        return statistics.median(self.cpus)

    def time(self, key):
        """The median of a thread time over the runs (0 where none)."""
        values = self.times.get(key)
        return statistics.median(values) if values else 0.0


def merge_command(binary, inputs, out, threads=None, thread_times=False):
    """The merge of the inputs; `threads` 1 or 2 sets KOVXMLMERGE_THREADS;
    `thread_times` has the run report its thread times."""
    command = [binary] + inputs + ["-p", os.path.join(out, "out.txt"), "-x", os.path.join(out, "out.xml")]
    settings = []
    if threads is not None:
        settings.append("KOVXMLMERGE_THREADS=%d" % threads)
    if thread_times:
        settings.append("KOVXMLMERGE_THREAD_TIMES=%s" % TIMES_FILE)
    if settings:
        command = ["env"] + settings + command
    return command


STAMP = re.compile(rb"(Listing produced at   : |<report_generated>).*")


def masked(path):
    with open(path, "rb") as stream:
        return STAMP.sub(rb"\1<time>", stream.read())


def check_reference(args, inputs, label):
    """Runs the reference binary on the same inputs and compares outputs."""
    if not args.reference:
        return
    # Both write to the same names: the options text is part of the outputs.
    out = os.path.join(args.work, "out-check")
    os.makedirs(out, exist_ok=True)
    outputs = {}
    for name, command in (("reference", merge_command(args.reference, inputs, out)),
                          ("two threads", merge_command(args.bin, inputs, out, 2)),
                          ("one thread", merge_command(args.bin, inputs, out, 1))):
        run_once(command)
        outputs[name] = [masked(os.path.join(out, n)) for n in ("out.txt", "out.xml")]
    for name in ("two threads", "one thread"):
        if outputs[name] != outputs["reference"]:
            raise SystemExit("OUTPUT DIFFERS from the reference (%s): %s" % (name, label))
    print("outputs identical to the reference: %s" % label, file=sys.stderr, flush=True)


def side_by_side(args, inputs, with_tools=True):
    """Interleaved runs of kovxmlmerge, wc -l and xmllint on the same inputs."""
    out = os.path.join(args.work, "out")
    os.makedirs(out, exist_ok=True)
    commands = {"kovxmlmerge": merge_command(args.bin, inputs, out, 2, thread_times=True),
                "kovxmlmerge, one thread": merge_command(args.bin, inputs, out, 1)}
    if with_tools and args.baseline:
        commands["kovxmlmerge before tuning"] = merge_command(args.baseline, inputs, out)
    if with_tools:
        commands["wc -l"] = ["wc", "-l"] + inputs
        commands["xmllint --stream"] = ["xmllint", "--stream", "--noout"] + inputs
    for command in commands.values():
        run_once(command)  # warm the page cache
    measures = {name: Measure() for name in commands}
    for _ in range(args.repeat):
        for name, command in commands.items():
            measures[name].add(*run_once(command))
    return measures


def megabytes(inputs):
    return sum(os.path.getsize(p) for p in inputs) / 1e6


def throughput(args, main):
    print("\n## Throughput (kovxmlmerge -p -x; median of %d runs)\n" % args.repeat)
    print("| Input | Command | Wall s | CPU s | MB/s | Peak RSS MB | × wc -l | xmllint / this |")
    print("|---|---|---:|---:|---:|---:|---:|---:|")
    results = {}
    balance = {}
    for count in args.counts:
        inputs = reports(main, count)
        check_reference(args, inputs, "%d reports" % count)
        size = megabytes(inputs)
        measures = side_by_side(args, inputs)
        wc = measures["wc -l"].median
        lint = measures["xmllint --stream"].median
        label = "%d × %.0f MB = %.0f MB" % (count, size / count, size)
        for name, m in measures.items():
            print("| %s | %s | %.3f | %.3f | %.0f | %.0f | %.2f | %.2f |" % (
                label, name, m.median, m.cpu, size / m.median, m.rss, m.median / wc,
                lint / m.median))
        results[count] = measures["kovxmlmerge"].median
        balance[label] = measures["kovxmlmerge"]
    print_balance(balance)
    counts = sorted(results)
    if len(counts) >= 2:
        small, large = counts[0], counts[-1]
        print("\nTime for %d reports / time for %d reports: %.2f (input ratio %.2f)" % (
            large, small, results[large] / results[small], large / small))
    sys.stdout.flush()


def print_balance(measures):
    """Where the time of the two-thread runs went, one row per input."""
    print("\nThread balance of the two-thread runs (median CPU and wait seconds; the merging")
    print("thread's figures cover the reading of the reports, its total adds the processing and")
    print("the outputs):\n")
    print("| Input | Wall s | Reading thread CPU s | Merging thread CPU s | Reading waited s "
          "| Merging waited s | Reading ÷ merging CPU | Main thread total CPU s |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|")
    for label, m in measures.items():
        reading = m.time("reading_cpu")
        merging = m.time("merging_cpu")
        print("| %s | %.3f | %.3f | %.3f | %.3f | %.3f | %.2f | %.3f |" % (
            label, m.median, reading, merging, m.time("reading_wait"), m.time("merging_wait"),
            reading / merging if merging else 0.0, m.time("main_cpu")))


# The layouts of the layout section: the generator's options after those of
# the program. The first is the main program set; the last is no layout a
# report writer would choose (every probe's attributes in a random order) and
# shows what the scan in any order costs: it is left out of the comparison
# with the fastest layout.
LAYOUTS = [
    ("blanks", []),
    ("tabs", ["--indent", "tabs"]),
    ("tabs, second probe line by blanks", ["--indent", "mixed"]),
    ("no indentation", ["--indent", "none"]),
    ("CR LF line ends", ["--line-ends", "crlf"]),
    ("eval_no, subcond_no after descr", ["--subcond-no"]),
    ("eval_no, subcond_no before descr", ["--attribute-order", "descr-last", "--subcond-no"]),
    ("tabs, CR LF, eval_no before descr",
     ["--indent", "tabs", "--line-ends", "crlf", "--attribute-order", "descr-last",
      "--subcond-no"]),
    ("attributes in random order (not compared)",
     ["--attribute-order", "shuffled", "--subcond-no"]),
]


def layouts(args, main):
    count = args.layout_runs
    print("\n## Layouts (%d reports of one program, -p -x; median of %d runs)\n" % (
        count, args.repeat))
    print("The same program and counters in every layout; each layout's outputs are checked")
    print("against the reference where one is given.\n")
    print("| Layout | MB | 2 threads wall s | ÷ fastest | 1 thread wall s | ÷ fastest "
          "| wc -l s | xmllint s | xmllint ÷ 2 threads | xmllint ÷ 1 thread | 2 threads × wc -l "
          "| Peak RSS MB |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
    rows = []
    balance = {}
    for label, options in LAYOUTS:
        if options:
            folder = generate(args.work, "layout-" + "-".join(o.strip("-") for o in options),
                              ["--runs", str(count), "--size-mb", str(args.size_mb),
                               "--changed-share", "0", "--seed", "1"] + options)
        else:
            folder = main
        inputs = reports(folder, count)
        check_reference(args, inputs, "layout %s" % label)
        measures = side_by_side(args, inputs)
        rows.append((label, megabytes(inputs), measures))
        balance[label] = measures["kovxmlmerge"]
    compared = [row for row in rows if "not compared" not in row[0]]
    fastest2 = min(m["kovxmlmerge"].median for _, _, m in compared)
    fastest1 = min(m["kovxmlmerge, one thread"].median for _, _, m in compared)
    for label, size, m in rows:
        two = m["kovxmlmerge"]
        one = m["kovxmlmerge, one thread"]
        wc = m["wc -l"].median
        lint = m["xmllint --stream"].median
        print("| %s | %.0f | %.3f | %.2f | %.3f | %.2f | %.3f | %.3f | %.2f | %.2f | %.2f | %.0f |" % (
            label, size, two.median, two.median / fastest2, one.median, one.median / fastest1,
            wc, lint, lint / two.median, lint / one.median, two.median / wc,
            max(two.rss, one.rss)))
    if args.baseline:
        print("\nThe baseline (%s) on the same files:\n" % args.baseline)
        print("| Layout | Baseline wall s | xmllint ÷ baseline | Baseline ÷ this (2 threads) |")
        print("|---|---:|---:|---:|")
        for label, _, m in rows:
            base = m["kovxmlmerge before tuning"].median
            print("| %s | %.3f | %.2f | %.2f |" % (
                label, base, m["xmllint --stream"].median / base, base / m["kovxmlmerge"].median))
    print_balance(balance)
    sys.stdout.flush()


def memory(args, main):
    print("\n## Memory (peak RSS of kovxmlmerge -p -x)\n")
    print("| Input | Threads | Peak RSS MB | Input MB | RSS − one report MB | vs 1 run |")
    print("|---|---:|---:|---:|---:|---:|")
    for label, folder in (("one program", main), ("1 % of functions changed per run", args.changed_set)):
        base = {}
        for count in (1, args.memory_runs):
            inputs = reports(folder, count)
            if count > 1:
                check_reference(args, inputs, "%d reports, %s" % (count, label))
            measures = side_by_side(args, inputs, with_tools=False)
            for threads, name in ((2, "kovxmlmerge"), (1, "kovxmlmerge, one thread")):
                m = measures[name]
                base.setdefault(threads, m.rss)
                print("| %d run(s), %s | %d | %.1f | %.0f | %.1f | %.3f |" % (
                    count, label, threads, m.rss, megabytes(inputs),
                    m.rss - megabytes(inputs[:1]), m.rss / base[threads]))
    sys.stdout.flush()


OPTIONS_LINE = re.compile(rb"\t\t<kovxmlmerge_options>.*")


def merge_state(args, main):
    """The -m state of all runs of one program: its size, the time to load it
    next to reading one report, what saving costs, and that continuing from
    it gives the outputs of the one-run merge."""
    print("\n## Merge state (-m) of %d runs of one program\n" % args.memory_runs)
    out = os.path.join(args.work, "out-state")
    os.makedirs(out, exist_ok=True)
    state = os.path.join(out, "state.xml")
    inputs = reports(main, args.memory_runs)
    merged = {}
    for name, extra in (("without -m", []), ("with -m", ["-m", state])):
        m = Measure()
        for _ in range(args.repeat):
            m.add(*run_once(merge_command(args.bin, inputs, out) + extra))
        merged[name] = m
    one_run = [OPTIONS_LINE.sub(b"", masked(os.path.join(out, n))) for n in ("out.txt", "out.xml")]
    # Continuing from the state alone writes what the one-run merge wrote.
    run_once(merge_command(args.bin, [state], out))
    if [OPTIONS_LINE.sub(b"", masked(os.path.join(out, n))) for n in ("out.txt", "out.xml")] != one_run:
        raise SystemExit("OUTPUT DIFFERS: continuing from the state of %d runs" % len(inputs))
    print("continuing from the state gives the one-run outputs", file=sys.stderr, flush=True)

    print("| Input | MB | Threads | Wall s (median of %d) | CPU s | Peak RSS MB |" % args.repeat)
    print("|---|---:|---:|---:|---:|---:|")
    for label, source in (("one report", inputs[0]), ("state of %d runs" % len(inputs), state)):
        for threads in (2, 1):
            m = Measure()
            for _ in range(args.repeat):
                command = ["env", "KOVXMLMERGE_THREADS=%d" % threads, args.bin, source,
                           "-x", os.path.join(out, "out.xml")]
                m.add(*run_once(command))
            print("| %s, -x | %.1f | %d | %.3f | %.3f | %.1f |" % (
                label, megabytes([source]), threads, m.median, m.cpu, m.rss))
    for name, m in merged.items():
        print("| %d reports -p -x, %s | %.0f | 2 | %.3f | %.3f | %.1f |" % (
            len(inputs), name, megabytes(inputs), m.median, m.cpu, m.rss))
    print("\nState size: %.1f MB, %.3f × one report." % (
        megabytes([state]), megabytes([state]) / megabytes(inputs[:1])))
    sys.stdout.flush()


# Case, what scale 1 is, and the scales measured: the small cases run in
# milliseconds, so they grow further to make a quadratic step stand out.
CASES = [
    ("big-function", "one function with 100,000 probes", (1, 2, 4)),
    ("many-functions", "one file with 50,000 functions", (1, 2, 4)),
    ("many-stretches", "one function with 10,000 #line stretches", (1, 4, 16)),
    ("many-labels", "one function with 5,000 labels and gotos", (1, 4, 16)),
    ("wide-decision", "decisions of 20 conditions and 1,000 evaluations", (1, 4, 16)),
]


def scaling(args):
    print("\n## Scaling cases (2 reports each, one thread; scale k multiplies the named size by k)\n")
    print("Linear time shows as a time ratio near the scale ratio; a quadratic step as its square.\n")
    print("| Case (scale 1) | Scales | MB | Wall s | Time ratios | CPU ratios |")
    print("|---|---|---|---|---|---|")
    for case, text, scales in CASES:
        sizes = []
        times = []
        cpus = []
        for scale in scales:
            folder = generate(args.work, "%s-%d" % (case, scale),
                              ["--case", case, "--scale", str(scale), "--runs", "2",
                               "--changed-share", "0.05", "--seed", "7"])
            inputs = reports(folder)
            check_reference(args, inputs, "%s scale %d" % (case, scale))
            m = side_by_side(args, inputs, with_tools=False)["kovxmlmerge, one thread"]
            sizes.append("%.1f" % megabytes(inputs))
            times.append(m.median)
            cpus.append(max(m.cpu, 0.005))
        print("| %s | %s | %s | %s | %s | %s |" % (
            text, ", ".join(map(str, scales)), ", ".join(sizes),
            ", ".join("%.3f" % t for t in times),
            ", ".join("%.2f" % (t / times[0]) for t in times[1:]),
            ", ".join("%.2f" % (c / cpus[0]) for c in cpus[1:])))
        sys.stdout.flush()


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bin", required=True, help="the kovxmlmerge to measure")
    parser.add_argument("--work", default="/tmp/kovbench", help="folder for inputs and outputs")
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--size-mb", type=float, default=25, help="size of one report")
    parser.add_argument("--reference", help="a kovxmlmerge whose outputs must be identical")
    parser.add_argument("--baseline", help="a kovxmlmerge to time side by side (an older build)")
    parser.add_argument("--quick", action="store_true",
                        help="small inputs: 5 reports of 5 MB, 10 for the memory case")
    parser.add_argument("--skip", default="",
                        help="comma-separated: throughput,layouts,memory,state,scaling,html")
    args = parser.parse_args(argv)
    if args.quick:
        args.size_mb = 5
    args.counts = (3, 5) if args.quick else (10, 20)
    args.layout_runs = 5 if args.quick else 20
    args.memory_runs = 10 if args.quick else 50
    args.bin = os.path.abspath(args.bin)
    if args.baseline:
        args.baseline = os.path.abspath(args.baseline)
    os.makedirs(args.work, exist_ok=True)

    # One program, R test runs: only the counters differ between reports.
    main_set = generate(args.work, "program",
                        ["--runs", str(args.memory_runs), "--size-mb", str(args.size_mb),
                         "--changed-share", "0", "--seed", "1"])
    skip = set(filter(None, args.skip.split(",")))
    # The same program where 1 % of the functions change their structure in
    # every run after the first (a program rebuilt between runs).
    if "memory" not in skip:
        args.changed_set = generate(args.work, "changed",
                                    ["--runs", str(args.memory_runs), "--size-mb", str(args.size_mb),
                                     "--changed-share", "0.01", "--seed", "1"])
    print("# kovxmlmerge benchmark: %s" % time.strftime("%Y-%m-%d %H:%M"))
    print("\nMachine: %d cores; `nproc` load average %.2f at start." % (
        os.cpu_count(), os.getloadavg()[0]))
    if "throughput" not in skip:
        throughput(args, main_set)
    if "layouts" not in skip:
        layouts(args, main_set)
    if "memory" not in skip:
        memory(args, main_set)
    if "state" not in skip:
        merge_state(args, main_set)
    if "scaling" not in skip:
        scaling(args)
    if "html" not in skip:
        import html_bench  # the HTML report's rows, in a file of their own
        html_bench.report(args, main_set, generate, reports, run_once, Measure)


if __name__ == "__main__":
    main(sys.argv[1:])
