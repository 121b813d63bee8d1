#!/usr/bin/env python3
"""Outputs reach the disk before they replace their targets.

    flush_check.py BINARY REPORTS_DIR

The binary runs under strace, writing a listing, a summary XML report in a
sub-folder and a merge state to regular files (each written to a temporary
file and renamed), a Cobertura document to standard output, an lcov
tracefile to /dev/null and the summary XML once more through a symbolic link.
From the system calls it made:

- every renamed output was flushed (fsync) after its last write and before
  its rename, and the directory that holds its name was opened and flushed
  after the rename;
- no output written directly (standard output, a device, a link's target)
  was flushed.

Then strace makes a flush fail (fault injection): a failed flush of the
listing must end the run with error 24, leave the old listing and no
temporary file; a failed flush of its directory must end the run with error 24
too, after the listing was put in place, and write no later output.

Exits 77 (skipped) where strace is missing or cannot trace, unless
KOV_REQUIRE_STRACE=1 asks for it.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
CALL = re.compile(r"^(\d+) +(\w+)\((.*)\) += (-?\d+|\?)")
# A call that another thread's calls interrupt in the trace: begun on one
# line, finished on a later one.
UNFINISHED = re.compile(r"^(\d+) +(\w+)\((.*) <unfinished \.\.\.>$")
RESUMED = re.compile(r"^(\d+) +<\.\.\. (\w+) resumed>(.*)\) += (-?\d+|\?)")


class Failure(Exception):
    pass


def strace_usable():
    if shutil.which("strace") is None:
        return False
    return subprocess.run(["strace", "-qq", "-o", "/dev/null", "true"]).returncode == 0


def calls(trace_file):
    """(name, arguments, result) of every completed call, in the order the
    calls completed."""
    events = []
    begun = {}  # (thread, call) -> the arguments on its first line
    with open(trace_file) as f:
        for line in f:
            line = line.rstrip("\n")
            unfinished = UNFINISHED.match(line)
            if unfinished:
                thread, name, arguments = unfinished.groups()
                begun[(thread, name)] = arguments
                continue
            resumed = RESUMED.match(line)
            whole = CALL.match(line)
            if resumed:
                thread, name, rest, result = resumed.groups()
                arguments = begun.pop((thread, name), "") + rest
            elif whole:
                thread, name, arguments, result = whole.groups()
            else:
                continue
            if result != "?":
                events.append((name, arguments, int(result)))
    return events


def first_string(arguments):
    match = re.search(r'"((?:[^"\\]|\\.)*)"', arguments)
    return match.group(1) if match else None


def first_number(arguments):
    return int(arguments.split(",")[0])


def flushed_before_close(events, start, fd):
    """Whether `fd`, opened at events[start], is flushed before it is closed."""
    for name, arguments, _ in events[start + 1:]:
        if name in ("fsync", "close") and first_number(arguments) == fd:
            return name == "fsync"
    return False


def check_order(events, renamed, direct_paths):
    """Checks the flushes around every rename and that direct outputs are not
    flushed."""
    seen = []
    for r, (name, arguments, result) in enumerate(events):
        if name not in ("rename", "renameat", "renameat2") or result != 0:
            continue
        temp, target = re.findall(r'"((?:[^"\\]|\\.)*)"', arguments)[:2]
        seen.append(target)
        o = max(i for i, e in enumerate(events[:r])
                if e[0] == "openat" and e[2] >= 0 and first_string(e[1]) == temp)
        fd = events[o][2]
        between = events[o + 1:r]
        syncs = [k for k, e in enumerate(between) if e[0] == "fsync" and first_number(e[1]) == fd]
        if not syncs:
            raise Failure("%s was renamed to %s without a flush" % (temp, target))
        if any(e[0] in ("write", "writev") and first_number(e[1]) == fd
               for e in between[syncs[-1] + 1:]):
            raise Failure("%s was written after its flush" % target)
        directory = os.path.dirname(target) or "."
        opens = [r + 1 + k for k, e in enumerate(events[r + 1:])
                 if e[0] == "openat" and e[2] >= 0 and first_string(e[1]) == directory
                 and "O_DIRECTORY" in e[1]]
        if not opens or not flushed_before_close(events, opens[0], events[opens[0]][2]):
            raise Failure("the directory %s was not flushed after the rename to %s"
                          % (directory, target))
    if sorted(seen) != sorted(renamed):
        raise Failure("renamed %s, expected %s" % (seen, renamed))
    # What each descriptor stands for at the time of each flush.
    names = {1: "standard output"}
    for name, arguments, result in events:
        if name == "openat" and result >= 0:
            names[result] = first_string(arguments)
        elif name == "close":
            names.pop(first_number(arguments), None)
        elif name in ("fsync", "fdatasync", "syncfs"):
            what = names.get(first_number(arguments))
            if what == "standard output" or what in direct_paths:
                raise Failure("a direct output was flushed: %s of %s" % (name, what))


def run(binary, args, cwd, strace_args=None, trace_file=None):
    command = [binary] + args
    env = dict(os.environ)
    if strace_args is not None:
        command = ["strace", "-f", "-qq", "-o", trace_file or "/dev/null"] + strace_args + command
        # LeakSanitizer cannot work under ptrace (the other tests look for leaks).
        env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"), "detect_leaks=0"]))
    return subprocess.run(command, cwd=cwd, env=env, capture_output=True)


def fresh_folder(scratch, reports, name):
    folder = os.path.join(scratch, name)
    os.makedirs(os.path.join(folder, "sub"))
    shutil.copytree(reports, os.path.join(folder, "reports"))
    with open(os.path.join(folder, "out.txt"), "w") as f:
        f.write("old listing\n")
    return folder


def listing(folder):
    with open(os.path.join(folder, "out.txt")) as f:
        return f.read()


def check(binary, reports, scratch):
    folder = fresh_folder(scratch, reports, "order")
    os.symlink("real.xml", os.path.join(folder, "link.xml"))
    trace = os.path.join(scratch, "trace")
    done = run(binary, ["reports/basic1.xml", "reports/basic2.xml", "-p", "out.txt",
                        "-x", "sub/sum.xml", "-cobertura", "-", "-lcov", "/dev/null",
                        "-m", "state.xml"], folder,
               ["-e", "trace=openat,write,writev,fsync,fdatasync,syncfs,close,rename,renameat,"
                "renameat2"], trace)
    if done.returncode != 0 or done.stderr:
        raise Failure("the traced run failed: %d %s" % (done.returncode, done.stderr))
    check_order(calls(trace), ["out.txt", "sub/sum.xml", "state.xml"], {"/dev/null"})
    done = run(binary, ["reports/basic1.xml", "-x", "link.xml"], folder,
               ["-e", "trace=openat,write,fsync,fdatasync,syncfs,close,rename"], trace)
    if done.returncode != 0:
        raise Failure("the run through a link failed: %s" % done.stderr)
    check_order(calls(trace), [], {"link.xml"})

    # A failed flush of the listing: the old one stays, nothing else is written.
    args = ["reports/basic1.xml", "-p", "out.txt", "-x", "sum.xml"]
    error = b"*** kovxmlmerge error 24 (1/440): Output file can not be written: out.txt\n"
    folder = fresh_folder(scratch, reports, "file_flush_fails")
    done = run(binary, args, folder, ["-e", "trace=fsync", "-e", "inject=fsync:error=EIO:when=1"])
    if (done.returncode, done.stderr) != (2, error):
        raise Failure("a failed flush of a file: %d %r" % (done.returncode, done.stderr))
    if listing(folder) != "old listing\n":
        raise Failure("a failed flush of the listing replaced the old one")
    if sorted(os.listdir(folder)) != ["out.txt", "reports", "sub"]:
        raise Failure("a failed flush of a file left %s" % sorted(os.listdir(folder)))

    # A failed flush of the directory after the rename: error 24, the listing
    # is in place, no later output is begun.
    folder = fresh_folder(scratch, reports, "directory_flush_fails")
    done = run(binary, args, folder, ["-e", "trace=fsync", "-e", "inject=fsync:error=EIO:when=2"])
    if (done.returncode, done.stderr) != (2, error):
        raise Failure("a failed flush of a directory: %d %r" % (done.returncode, done.stderr))
    if "MONITORED SOURCE FILE" not in listing(folder):
        raise Failure("the listing was not put in place before its directory's flush failed")
    if sorted(os.listdir(folder)) != ["out.txt", "reports", "sub"]:
        raise Failure("a failed flush of a directory left %s" % sorted(os.listdir(folder)))


def main():
    if len(sys.argv) != 3:
        print("usage: flush_check.py BINARY REPORTS_DIR", file=sys.stderr)
        return 2
    if not strace_usable():
        if os.environ.get("KOV_REQUIRE_STRACE"):
            print("FAIL: strace is missing or cannot trace")
            return 1
        print("skipped: strace is missing or cannot trace")
        return SKIPPED
    scratch = tempfile.mkdtemp(prefix="kov-flush-")
    try:
        check(os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2]), scratch)
    except Failure as failure:
        print("FAIL: %s" % failure)
        return 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print("every renamed output was flushed before its rename and its directory after; "
          "failed flushes end in error 24")
    return 0


if __name__ == "__main__":
    sys.exit(main())
