#!/usr/bin/env python3
"""Writes synthetic coverage reports for the kovxmlmerge benchmarks.

The reports follow the line layout that kovpost writes (one element per line,
every probe over two lines) and describe one program: R reports of that
program are R test runs with different counters. Every function is
structurally valid for the statement analysis: it starts with a `function`
probe, every opener is closed by a `block_end`, it ends with `function_end` or
`function_end_nr` at a non-zero statement count, and `sc_count` never falls.

The same seed and parameters always give the same bytes. The layout options
(indentation, line ends, the order of the attributes) change how the lines
are written, never what they say: every layout of a seed reads to the same
merged coverage.

  gen_reports.py --out DIR [--seed N] [--runs R] [--size-mb MB | --files F] ...
  gen_reports.py --out DIR --indent tabs --line-ends crlf --attribute-order descr-last
  gen_reports.py --out DIR --case big-function --scale 2

Reports are written as DIR/run001.xml, DIR/run002.xml, ...
"""

import argparse
import os
import random
import sys

VIEWS = {
    "instrumented": "As instrumented",
    "function": "Reduced to function coverage",
    "decision": "Reduced to decision coverage",
    "condition": "Reduced to condition coverage",
    "mcdc": "Reduced to MC/DC coverage",
}

# Which counters a kind's probe element carries: 1 count1, 2 count2, 12 both.
COUNTERS = {
    "function": 1, "return": 1, "if": 12, "else": 0, "for": 12, "while": 12,
    "switch": 0, "case": 1, "default": 1, "break": 1, "do": 0, "do_while": 12,
    "block_end": 0, "function_end": 1, "function_end_nr": 0, "label": 0,
    "goto": 1, "ternary": 12, "expr_andor": 12, "user_counter": 1, "try": 1,
    "catch": 1, "multi_cond_t": 1, "multi_cond_f": 2, "mcdc": 0, "linedir": 0,
    "linedir_in_function": 0,
}


def esc(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;"))


class Probe:
    __slots__ = ("kind", "nesting", "descr", "line", "sc", "eval_no", "marks")

    def __init__(self, kind, nesting, descr, line, sc, eval_no=None, marks=None):
        self.kind = kind
        self.nesting = nesting
        self.descr = descr  # already escaped
        self.line = line
        self.sc = sc
        self.eval_no = eval_no
        self.marks = marks  # mcdc: the condition texts whose marks change per run


class Function:
    def __init__(self, name, params, line):
        self.name = name
        self.params = params
        self.line = line
        self.probes = []
        self.changeable = True


class Body:
    """Builds the probes of one function body in order."""

    def __init__(self, rng, args, line, own_file, stretch_file):
        self.rng = rng
        self.args = args
        self.line = line
        self.sc = 0
        self.probes = []
        self.own_file = own_file
        self.stretch_file = stretch_file
        self.stretch_line = 1
        self.labels = 0

    def add(self, kind, nesting, descr, eval_no=None, marks=None, same_line=False, grow=True):
        if not same_line:
            self.line += self.rng.choice((1, 1, 1, 2, 3))
        if grow:
            self.sc += self.rng.choice((0, 1, 1, 1, 2))
        probe = Probe(kind, nesting, descr, self.line, self.sc, eval_no, marks)
        self.probes.append(probe)
        return probe

    def decision(self, nesting, conditions, evaluations):
        """An `if` with its MC/DC evaluations and its `mcdc` probe."""
        names = ["c%d" % (i + 1) for i in range(conditions)]
        self.add("if", nesting, esc("if (" + " && ".join(names) + ")"))
        for number, (outcome, vector) in enumerate(
                evaluation_vectors(self.rng, conditions, evaluations), 1):
            kind = "multi_cond_t" if outcome else "multi_cond_f"
            self.add(kind, nesting, vector, eval_no=number, same_line=True, grow=False)
        self.add("mcdc", nesting, None, marks=names, same_line=True, grow=False)

    def stretch(self, nesting, statements):
        """Code that a `#line` inside the body brings in from another file."""
        directive = '#line %d "%s"' % (self.stretch_line, self.stretch_file)
        self.add("linedir_in_function", nesting, esc(directive))
        own_line = self.line
        self.line = self.stretch_line - 1
        for _ in range(statements):
            self.add("user_counter", nesting, "tick()")
        self.stretch_line = self.line + 10
        self.line = own_line
        back = '#line %d "%s"' % (own_line + 2, self.own_file)
        self.add("linedir_in_function", nesting, esc(back))
        self.line = own_line + 1

    def labelled(self, nesting):
        self.labels += 1
        name = "L%d" % self.labels
        self.add("goto", nesting, "goto " + name)
        self.add("label", nesting, name + ":")

    def block(self, nesting, budget):
        """Statements at `nesting` until about `budget` probes are used."""
        rng = self.rng
        args = self.args
        while budget > 0:
            pick = rng.random()
            inner = max(1, min(budget - 2, rng.randint(1, 6)))
            if nesting > 6:
                pick = 0.95
            if pick < args.mcdc_share and budget > 4:
                self.decision(nesting, rng.randint(2, 4), None)
                self.block(nesting + 1, inner)
                self.add("block_end", nesting, "}")
                budget -= inner + 6
            elif pick < 0.30:
                self.add("if", nesting, esc("if (x%d > 0)" % budget))
                self.block(nesting + 1, inner)
                self.add("block_end", nesting, "}")
                budget -= inner + 2
                if rng.random() < 0.4:
                    self.add("else", nesting, "else", same_line=True)
                    self.block(nesting + 1, 1)
                    self.add("block_end", nesting, "}")
                    budget -= 3
            elif pick < 0.42:
                kind = rng.choice(("for", "while"))
                self.add(kind, nesting, esc("%s (i < n)" % kind))
                self.block(nesting + 1, inner)
                if rng.random() < 0.3:
                    self.add("break", nesting + 1, "break")
                self.add("block_end", nesting, "}")
                budget -= inner + 3
            elif pick < 0.50:
                self.add("switch", nesting, "switch (op)")
                for number in range(rng.randint(1, 3)):
                    self.add("case", nesting + 1, "case %d" % number)
                    self.add("break", nesting + 1, "break")
                self.add("default", nesting + 1, "default")
                self.add("block_end", nesting, "}")
                budget -= 8
            elif pick < 0.54:
                self.add("do", nesting, "do")
                self.block(nesting + 1, inner)
                self.add("block_end", nesting, "}")
                self.add("do_while", nesting, "while (more)", same_line=True)
                budget -= inner + 3
            elif pick < 0.56:
                self.add("try", nesting, "try")
                self.block(nesting + 1, 1)
                self.add("block_end", nesting, "}")
                self.add("catch", nesting, "catch (...)", same_line=True)
                self.block(nesting + 1, 1)
                self.add("block_end", nesting, "}")
                budget -= 6
            elif pick < 0.58:
                self.labelled(nesting)
                budget -= 2
            elif pick < args.stretch_share + 0.58 and self.stretch_file:
                self.stretch(nesting, 2)
                budget -= 4
            elif pick < 0.75:
                self.add("ternary", nesting, esc("x ? a : b"))
                budget -= 1
            else:
                self.add("user_counter", nesting, "step()")
                budget -= 1


def evaluation_vectors(rng, conditions, evaluations):
    """(outcome, vector) pairs. Without a count: the evaluations of a chain of
    `&&` (all true, or true up to the first false). With a count: distinct
    vectors that stop at a random condition, as a mix of `&&` and `||` does."""
    if evaluations is None:
        result = [(True, "T" * conditions)]
        for k in range(conditions):
            result.append((False, "T" * k + "F" + "_" * (conditions - k - 1)))
        rng.shuffle(result)
        return result
    seen = set()
    result = []
    while len(result) < evaluations:
        stop = rng.randint(1, conditions)
        vector = "".join(rng.choice("TF") for _ in range(stop)) + "_" * (conditions - stop)
        if vector in seen:
            continue
        seen.add(vector)
        result.append((len(result) % 2 == 0, vector))
    return result


def build_function(rng, args, name, line, own_file, stretch_file, probes):
    function = Function(name, "(int x, const char *s)", line)
    body = Body(rng, args, line, own_file, stretch_file)
    body.add("function", 0, esc(name), same_line=True, grow=False)
    body.block(1, max(1, probes - 2))
    body.add("return", 1, "return x")
    body.sc = max(body.sc, 1)  # function_end needs a statement count above 0
    end = "function_end" if rng.random() < 0.5 else "function_end_nr"
    body.add(end, 0, "}")
    function.probes = body.probes
    return function, body.line


def special_function(rng, args, own_file):
    """The one function of a scaling case."""
    function = Function("big", "(void)", 10)
    body = Body(rng, args, 10, own_file, "gen/tables.def")
    body.add("function", 0, "big", same_line=True, grow=False)
    if args.case == "big-function":
        body.block(1, 100000 * args.scale)
    elif args.case == "many-stretches":
        for _ in range(10000 * args.scale):
            body.stretch(1, 2)
    elif args.case == "many-labels":
        for _ in range(5000 * args.scale):
            body.labelled(1)
    elif args.case == "wide-decision":
        # Each decision is 20 conditions and 1,000 evaluations.
        for _ in range(args.scale):
            body.decision(1, 20, 1000)
            body.add("return", 2, "return 1")
            body.add("block_end", 1, "}")
    body.sc = max(body.sc, 1)
    body.add("function_end_nr", 0, "}")
    function.probes = body.probes
    return function


class SourceFile:
    def __init__(self, name):
        self.name = name
        self.includes = []  # (header, functions) pairs
        self.functions = []
        self.lines = 0


def build_program(args):
    rng = random.Random(args.seed)
    files = []
    if args.case == "many-functions":
        source = SourceFile("src/huge.c")
        line = 1
        for number in range(50000 * args.scale):
            function, line = build_function(rng, args, "f%d" % number, line + 2, source.name, None, 3)
            source.functions.append(function)
        source.lines = line + 1
        return [source]
    if args.case:
        source = SourceFile("src/big.c")
        function = special_function(rng, args, source.name)
        source.functions.append(function)
        source.lines = function.probes[-1].line + 1
        return [source]

    # Instrumented headers: their functions are reported again by every
    # source file that includes them.
    headers = []
    for number in range(args.headers):
        name = "include/mod%d/util%d.h" % (number % 7, number)
        functions = []
        line = 1
        for index in range(args.header_functions):
            function, line = build_function(rng, args, "h%d_%d" % (number, index), line + 2,
                                            name, None, max(4, args.probes // 2))
            function.changeable = False
            functions.append(function)
        headers.append((name, functions))

    target = args.size_mb * 1_000_000 if args.size_mb else None
    count = args.files if target is None else 1 << 30
    size = 0
    number = 0
    while number < count and (target is None or size < target):
        source = SourceFile("src/part%d/file%d.c" % (number % 13, number))
        if headers:
            first = (number * args.headers_per_file) % len(headers)
            for k in range(min(args.headers_per_file, len(headers))):
                source.includes.append(headers[(first + k) % len(headers)])
        line = 20
        for index in range(args.functions):
            stretch = "gen/tables%d.def" % (index % 3) if args.stretch_share > 0 else None
            function, line = build_function(rng, args, "fn%d_%d" % (number, index), line + 3,
                                            source.name, stretch, args.probes)
            source.functions.append(function)
        source.lines = line + 2
        size += estimate_size(source)
        files.append(source)
        number += 1
    return files


def estimate_size(source):
    probes = sum(len(f.probes) for f in source.functions)
    probes += sum(len(f.probes) for _, fs in source.includes for f in fs)
    functions = len(source.functions) + sum(len(fs) for _, fs in source.includes)
    return probes * 104 + functions * 457 + 200


class Layout:
    """How a report's lines are written: indentation, line ends and the order
    of a probe's attributes. The default is the layout of the reports that
    the reader was first written for."""

    def __init__(self, args):
        self.indent = args.indent
        self.line_end = "\r\n" if args.line_ends == "crlf" else "\n"
        self.order = args.attribute_order
        self.subcond_no = args.subcond_no
        # Its own random numbers, so that a shuffled order leaves the
        # counters of the report as they are in every other layout.
        self.rng = random.Random(args.seed * 7919 + 17)

    def probe(self, indentation, first, second):
        """A probe element's two lines from its attributes as (name, value)
        pairs: `first` are type, nesting, descr and the optional eval_no and
        subcond_no, `second` line, sc_count and the counters."""
        if self.order == "descr-last":
            first = first[:2] + first[3:] + first[2:3]
        elif self.order == "shuffled":
            first = list(first)
            self.rng.shuffle(first)
            second = second[:1] + self.rng.sample(second[1:], len(second) - 1)
        attributes = " ".join('%s="%s"' % pair for pair in first)
        values = " ".join('%s="%s"' % pair for pair in second)
        return ["%s<probe %s" % (indentation, attributes),
                "%s  %s />" % (indentation, values)]

    def reindent(self, lines):
        """The lines with their indentation of two blanks a level rewritten."""
        if self.indent == "blanks":
            return lines
        result = []
        for line in lines:
            text = line.lstrip(" ")
            level = (len(line) - len(text)) // 2
            if self.indent == "none":
                result.append(text)
            elif self.indent == "mixed" and text.startswith("line="):
                # A probe's second line: under the first, tabs then blanks.
                result.append("\t" * (level - 1) + "      " + text)
            else:
                result.append("\t" * level + text)
        return result

    def write(self, stream, lines):
        stream.write(self.line_end.join(self.reindent(lines)))
        stream.write(self.line_end)


def probe_lines(out, layout, probe, rng, hit, sc_offset=0, indentation="      "):
    kind = probe.kind
    descr = probe.descr
    sc = probe.sc + sc_offset
    if kind == "mcdc":
        # The marks are results of the run; they do not change the identity.
        descr = esc(" && ".join(m + rng.choice("+-") for m in probe.marks))
    first = [("type", kind), ("nesting", probe.nesting), ("descr", descr)]
    if probe.eval_no is not None:
        first.append(("eval_no", probe.eval_no))
        if layout.subcond_no:
            first.append(("subcond_no", 1))
    second = [("line", probe.line), ("sc_count", sc)]
    counters = COUNTERS[kind]
    if counters != 0:
        c1 = rng.randrange(50) if rng.random() < hit else 0
        if counters == 1:
            second.append(("count1", c1))
        elif counters == 2:
            second.append(("count2", c1))
        else:
            c2 = rng.randrange(50) if rng.random() < hit else 0
            second += [("count1", c1), ("count2", c2)]
    out += layout.probe(indentation, first, second)


def write_function(out, layout, function, rng, changed):
    calls = rng.randrange(1000)
    out.append('  <function name="%s">' % function.name)
    out.append("    <parameters>%s</parameters>" % esc(function.params))
    out.append("    <defined_at_line>%d</defined_at_line>" % function.line)
    out.append("    <call_count>%d</call_count>" % calls)
    out.append("    <total_execution_cost>%d</total_execution_cost>" % (calls * 3))
    out.append("    <average_execution_cost>3.0</average_execution_cost>")
    out.append("    <max_execution_cost>%d</max_execution_cost>" % (calls and 9))
    out.append("    <body>")
    hit = 0.8
    probes = function.probes
    probe_lines(out, layout, probes[0], rng, hit)
    offset = 0
    if changed:
        # The structure changed in this run: one more statement after the
        # function probe, and every later statement count one higher.
        extra = Probe("user_counter", 1, "trace()", probes[0].line, probes[0].sc + 1)
        probe_lines(out, layout, extra, rng, hit)
        offset = 1
    for probe in probes[1:]:
        probe_lines(out, layout, probe, rng, hit, offset)
    out.append("    </body>")
    out.append("    <function_summary>")
    out.append("      <ter>50</ter>")
    out.append("      <statement_available>yes</statement_available>")
    out.append("    </function_summary>")
    out.append("  </function>")


def write_report(path, args, files, run):
    rng = random.Random(args.seed * 100003 + run)
    layout = Layout(args)
    view = VIEWS[args.view]
    mode = "MC/DC" if args.view == "mcdc" else "multicondition"
    out = ['<?xml version="1.0" encoding="ISO-8859-1"?>', "", "<kov_xml_report>", "",
           "<header_info>", "  <kovpost_version>8.3</kovpost_version>",
           "  <report_generated>Mon Dec  7 09:%02d:%02d 2026</report_generated>" % (
               run // 60 % 60, run % 60),
           "  <requested_coverage_view>%s</requested_coverage_view>" % view,
           "  <execution_cost_function>none</execution_cost_function>",
           "  <execution_cost_type>none</execution_cost_type>",
           "  <execution_cost_scaling>1</execution_cost_scaling>", "</header_info>", "",
           "<kovpost_notices>", "  <notice>Test run: bench run %d</notice>" % run,
           "</kovpost_notices>", ""]
    lines = 0
    points = 0
    with open(path, "w", encoding="latin-1", newline="") as stream:
        for source in files:
            out.append('<file name="%s">' % source.name)
            out.append("  <file_type>source</file_type>")
            out.append("  <instrumentation_mode>%s</instrumentation_mode>" % mode)
            for header, _ in source.includes:
                out.append('  <include name="%s" />' % esc('#include "%s"' % header))
            line = 2
            for header, functions in source.includes:
                out += layout.probe("  ", [("type", "linedir"), ("nesting", 0),
                                           ("descr", esc('#line 1 "%s"' % header))],
                                    [("line", line), ("sc_count", 0)])
                for function in functions:
                    write_function(out, layout, function, rng, False)
                    points += len(function.probes)
                line += 1
            if source.includes:
                out += layout.probe("  ", [("type", "linedir"), ("nesting", 0),
                                           ("descr", esc('#line %d "%s"' % (line + 1, source.name)))],
                                    [("line", line), ("sc_count", 0)])
            for function in source.functions:
                changed = (run > 1 and function.changeable and
                           rng.random() < args.changed_share)
                write_function(out, layout, function, rng, changed)
                points += len(function.probes)
            out.append("  <file_summary>")
            out.append("    <lines>%d</lines>" % source.lines)
            out.append("  </file_summary>")
            out.append("</file>")
            out.append("")
            lines += source.lines
            if len(out) > 20000:
                layout.write(stream, out)
                out = []
        out += ["<overall_summary>",
                "  <shown_coverage_views>decision, multicondition</shown_coverage_views>",
                "  <lines>%d</lines>" % lines,
                "  <measurement_points>%d</measurement_points>" % points,
                "</overall_summary>", "</kov_xml_report>"]
        layout.write(stream, out)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", required=True, help="directory for the reports")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--runs", type=int, default=2, help="number of reports (test runs)")
    parser.add_argument("--size-mb", type=float, default=0,
                        help="approximate size of one report; sets the number of files")
    parser.add_argument("--files", type=int, default=20, help="source files (without --size-mb)")
    parser.add_argument("--functions", type=int, default=20, help="functions per source file")
    parser.add_argument("--probes", type=int, default=40, help="about this many probes per function")
    parser.add_argument("--headers", type=int, default=12, help="instrumented headers")
    parser.add_argument("--headers-per-file", type=int, default=3,
                        help="headers each source file includes")
    parser.add_argument("--header-functions", type=int, default=4, help="functions per header")
    parser.add_argument("--stretch-share", type=float, default=0.02,
                        help="share of statements that are #line stretches inside a body")
    parser.add_argument("--mcdc-share", type=float, default=0.05,
                        help="share of statements that are MC/DC decisions")
    parser.add_argument("--view", choices=sorted(VIEWS), default="mcdc")
    parser.add_argument("--changed-share", type=float, default=0.0,
                        help="share of functions whose structure changes in runs after the first")
    parser.add_argument("--case", choices=("big-function", "many-functions", "many-stretches",
                                           "many-labels", "wide-decision"),
                        help="a scaling case instead of a program")
    parser.add_argument("--scale", type=int, default=1, help="size multiplier of a scaling case")
    parser.add_argument("--indent", choices=("blanks", "tabs", "mixed", "none"), default="blanks",
                        help="indentation: two blanks a level, a tab a level, tabs with a "
                        "probe's second line lined up by blanks, or none")
    parser.add_argument("--line-ends", choices=("lf", "crlf"), default="lf")
    parser.add_argument("--attribute-order", choices=("descr-first", "descr-last", "shuffled"),
                        default="descr-first",
                        help="descr before or after a probe's eval_no and subcond_no, or "
                        "every probe's attributes in a random order (line first on its "
                        "second line)")
    parser.add_argument("--subcond-no", action="store_true",
                        help="give every probe with an eval_no a subcond_no as well")
    args = parser.parse_args(argv)
    if args.case:
        args.view = "mcdc"

    files = build_program(args)
    os.makedirs(args.out, exist_ok=True)
    for run in range(1, args.runs + 1):
        write_report(os.path.join(args.out, "run%03d.xml" % run), args, files, run)


if __name__ == "__main__":
    main(sys.argv[1:])
