"""The HTML report's benchmark rows (bench/run.sh runs them with the others).

On the bench's 20 reports of one program:
  - writing the report without sources against writing the listing: each is
    the time of a run with -x and that output, less the time of the run with
    -x alone, both the fastest of the runs (the difference of two close
    times: the fastest runs are the least disturbed by other load); the
    report goes to an absent directory, as in a fresh CI workspace;
    replacing an earlier report, which removes its files, is a row of its
    own;
  - the report's total size against the listing's;
  - peak memory with -html against the same run without it;
  - with a source file made for every file of the set (as many lines as its
    highest probe line): the report with its sources against
    `genhtml --branch-coverage` on our lcov export of the same set, from the
    same sources;
On a generated project of 2,000 source files with its sources:
  - the whole run with -html and -src;
and, in headless Chromium, the load event of that project's overview and of
the largest file page of the bench set.
"""

import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
LOAD_TIME = os.path.join(HERE, "html_load_time.js")


def make_sources(tracefile, folder):
    """A source file for every file of an lcov tracefile, as many lines as its
    highest line, each a line of C; returns the number of files and lines."""
    highest = {}
    name = None
    with open(tracefile, encoding="latin-1") as stream:
        for line in stream:
            if line.startswith("SF:"):
                name = line[3:].rstrip("\n")
                highest.setdefault(name, 0)
            elif line.startswith("DA:") and name is not None:
                number = int(line[3:].split(",")[0])
                highest[name] = max(highest[name], number)
    shutil.rmtree(folder, ignore_errors=True)
    total = 0
    for name, lines in highest.items():
        path = os.path.join(folder, name.lstrip("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as stream:
            for number in range(1, lines + 1):
                stream.write("  value = step(value, %d); /* line %d of %s */\n" % (number, number, name))
        total += lines
    return len(highest), total


def tree_size(folder):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(folder) for f in files)


def timed(measure, run_once, repeat, command, before=None):
    """Wall seconds, CPU seconds and peak RSS of `repeat` runs of `command`;
    `before` runs ahead of each run, outside the time."""
    m = measure()
    for _ in range(repeat):
        if before:
            before()
        m.add(*run_once(command))
    return m


def chromium_load(pages):
    """Median milliseconds to the load event for each page, or None without
    node, the npm packages or Chromium."""
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not shutil.which("node") or not chromium:
        return None
    result = subprocess.run(["node", LOAD_TIME, "--chromium", chromium] + pages,
                            capture_output=True, text=True)
    if result.returncode != 0:
        print("chromium load times failed: " + result.stderr, file=sys.stderr)
        return None
    return [float(x) for x in result.stdout.split()]


def report(args, main_set, generate, reports, run_once, Measure):
    """Prints the HTML report's rows; returns nothing."""
    binary = args.bin
    repeat = args.repeat
    inputs = reports(main_set, max(args.counts))
    out = os.path.join(args.work, "out-html")
    os.makedirs(out, exist_ok=True)
    xml = os.path.join(out, "out.xml")
    listing = os.path.join(out, "out.txt")
    html = os.path.join(out, "report")
    base = [binary] + inputs + ["-x", xml]

    def absent():
        shutil.rmtree(html, ignore_errors=True)

    def fresh_listing():
        if os.path.exists(listing):
            os.remove(listing)

    # The exports and the sources come from one run.
    tracefile = os.path.join(out, "out.info")
    run_once([binary] + inputs + ["-lcov", tracefile])
    sources = os.path.join(args.work, "html-sources")
    files, lines = make_sources(tracefile, sources)

    for command in (base, base + ["-p", listing], base + ["-html", html]):
        run_once(command)  # warm the page cache
    rows = {}
    rows["-x"] = timed(Measure, run_once, repeat, base)
    rows["-x -p"] = timed(Measure, run_once, repeat, base + ["-p", listing], fresh_listing)
    rows["-x -html"] = timed(Measure, run_once, repeat, base + ["-html", html], absent)
    rows["-x -html (replacing)"] = timed(Measure, run_once, repeat, base + ["-html", html])
    listing_size = os.path.getsize(listing)
    report_size = tree_size(html)
    rows["-x -html -src"] = timed(Measure, run_once, repeat, base + ["-html", html, "-src", sources], absent)
    largest_page = max((os.path.join(html, n) for n in os.listdir(html) if n.startswith("f")),
                       key=os.path.getsize)
    with_sources_size = tree_size(html)

    genhtml_out = os.path.join(out, "genhtml")
    genhtml = Measure()
    for _ in range(args.repeat):
        shutil.rmtree(genhtml_out, ignore_errors=True)
        wall, rss, cpu, _ = run_once_in(run_once, sources, ["genhtml", "--branch-coverage", "--quiet",
                                                         "-o", genhtml_out, tracefile])
        genhtml.add(wall, rss, cpu)

    # A project of 2,000 source files, with its sources.
    project = generate(args.work, "project-2000",
                       ["--files", "2000", "--functions", "6", "--probes", "25", "--runs", "2",
                        "--seed", "5"])
    project_inputs = reports(project)
    project_trace = os.path.join(out, "project.info")
    run_once([binary] + project_inputs + ["-lcov", project_trace])
    project_sources = os.path.join(args.work, "html-project-sources")
    project_files, project_lines = make_sources(project_trace, project_sources)
    project_html = os.path.join(out, "project-report")
    project_base = [binary] + project_inputs + ["-x", xml]
    project_x = timed(Measure, run_once, repeat, project_base)
    project_run = timed(Measure, run_once, repeat,
                        project_base + ["-html", project_html, "-src", project_sources],
                        lambda: shutil.rmtree(project_html, ignore_errors=True))
    loads = chromium_load([os.path.join(project_html, "index.html"), largest_page])

    x = rows["-x"]
    print("\n## HTML report (%d reports of %.0f MB; median of %d; %d files, %d source lines)\n" % (
        len(inputs), sum(os.path.getsize(p) for p in inputs) / 1e6 / len(inputs), args.repeat,
        files, lines))
    print("| Command | Wall s | Fastest s | CPU s | Peak RSS MB | Output MB | Cost of the output s |")
    print("|---|---:|---:|---:|---:|---:|---:|")
    sizes = {"-x -p": listing_size, "-x -html": report_size, "-x -html (replacing)": report_size,
             "-x -html -src": with_sources_size}
    fastest = lambda m: min(m.walls)
    for name, m in rows.items():
        cost = fastest(m) - fastest(x)
        size = "%.1f" % (sizes[name] / 1e6) if name in sizes else ""
        print("| kovxmlmerge %s | %.3f | %.3f | %.3f | %.1f | %s | %s |" % (
            name, m.median, fastest(m), m.cpu, m.rss, size, "" if name == "-x" else "%.3f" % cost))
    print("| genhtml --branch-coverage (from the same sources) | %.3f | %.3f | %.3f | %.1f | %.1f | %.3f |" % (
        genhtml.median, fastest(genhtml), genhtml.cpu, genhtml.rss, tree_size(genhtml_out) / 1e6,
        fastest(genhtml)))
    print("| project of %d files (%d lines): -x | %.3f | %.3f | %.3f | %.1f | | |" % (
        project_files, project_lines, project_x.median, fastest(project_x), project_x.cpu,
        project_x.rss))
    print("| project of %d files (%d lines): -x -html -src | %.3f | %.3f | %.3f | %.1f | %.1f | %.3f |" % (
        project_files, project_lines, project_run.median, fastest(project_run), project_run.cpu,
        project_run.rss, tree_size(project_html) / 1e6, fastest(project_run) - fastest(project_x)))

    listing_cost = fastest(rows["-x -p"]) - fastest(x)
    report_cost = fastest(rows["-x -html"]) - fastest(x)
    sources_cost = fastest(rows["-x -html -src"]) - fastest(x)
    project_cost = fastest(project_run) - fastest(project_x)
    print("\nTargets:")
    print("- report without sources %.3f s, listing %.3f s (target: no longer): %s" % (
        report_cost, listing_cost, "met" if report_cost <= listing_cost else "NOT met"))
    print("- report with sources %.3f s, genhtml %.3f s: %.1f x faster (target: at least 20 x): %s" % (
        sources_cost, fastest(genhtml), fastest(genhtml) / max(sources_cost, 1e-3),
        "met" if fastest(genhtml) >= 20 * sources_cost else "NOT met"))
    print("- report size %.1f MB, listing %.1f MB: %.2f x (target: at most 3 x): %s" % (
        report_size / 1e6, listing_size / 1e6, report_size / listing_size,
        "met" if report_size <= 3 * listing_size else "NOT met"))
    print("- peak RSS with -html %.1f MB, without %.1f MB: +%.1f MB (target: at most +10 MB): %s" % (
        rows["-x -html"].rss, x.rss, rows["-x -html"].rss - x.rss,
        "met" if rows["-x -html"].rss - x.rss <= 10 else "NOT met"))
    print("- project of %d files with sources: the report written in %.3f s, the whole run %.3f s "
          "(target: under 2 s): %s" % (
              project_files, project_cost, fastest(project_run),
              "met" if project_cost < 2 else "NOT met"))
    if loads:
        print("- load event in headless Chromium: overview of the project %.0f ms, largest file page "
              "of the set (%.1f MB) %.0f ms (target: under 1 s each): %s" % (
                  loads[0], os.path.getsize(largest_page) / 1e6, loads[1],
                  "met" if max(loads) < 1000 else "NOT met"))
    else:
        print("- load event in headless Chromium: not measured (node, npm packages or chromium missing)")
    sys.stdout.flush()


def run_once_in(run_once, folder, command):
    """run_once in another working directory (genhtml finds the sources by
    the relative names of the tracefile)."""
    here = os.getcwd()
    os.chdir(folder)
    try:
        return run_once(command)
    finally:
        os.chdir(here)
