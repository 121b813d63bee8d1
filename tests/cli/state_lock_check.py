#!/usr/bin/env python3
"""Eight runs at once that continue one merge state and save over it.

    state_lock_check.py BINARY --generator GEN_REPORTS_PY [--without-lock]

Each run is `BINARY state.xml inK.xml -m state.xml` with a report of its own,
and each report comes through a FIFO, so that this script decides when a run
gets its report: only once every run still going either waits for its report
(it has read the state and opened its FIFO) or waits for the lock. With the
lock, that is one run at a time; without it, all eight have read the same old
state before any of them saves. No timing is assumed either way.

Afterwards the final state, merged with nothing more, must give the outputs
(listing and summary XML, byte for byte but for the run time stamp and the
options line) of one run over the first report and all eight, in the order
their names stand in the state, which is the order the runs took the lock.
A report missing from the state is a lost report. Every run must end with
status 0, and say nothing on standard error but, at most once, that it waits
for the lock.

--without-lock runs the binary with its test-only switch that disables the
lock (KOVXMLMERGE_TEST_NO_STATE_LOCK=1) and succeeds only where the check
above fails by losing reports: the proof that the check can fail.
"""

import argparse
import errno
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

RUNS = 8
TIME_LIMIT = 120.0  # seconds for the eight runs together
WAIT_LINE = ("kovxmlmerge: waiting for the lock on state.xml.lock: "
             "another run continues the same merge state\n")


class Failure(Exception):
    pass


def run(binary, args, cwd, env=None):
    done = subprocess.run([binary] + args, cwd=cwd, env=env, capture_output=True)
    if done.returncode != 0 or done.stderr:
        raise Failure("%s %s: status %d, %s" % (binary, " ".join(args), done.returncode,
                                                done.stderr.decode(errors="replace")))


def pids_waiting_for_a_lock():
    with open("/proc/locks") as locks:
        return {int(line.split()[5]) for line in locks if " -> " in line}


def masked(path):
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    text = re.sub(r"(?m)^(Listing produced at   : ).{24}$", r"\1<time>", text)
    text = re.sub(r"(?m)^(\t\t<report_generated>).{24}(</report_generated>)$", r"\1<time>\2",
                  text)
    return re.sub(r"(?m)^\t\t<kovxmlmerge_options>.*$", "<options>", text)


def input_reports(state_path):
    with open(state_path, encoding="latin-1") as f:
        text = f.read()
    part = text.split('<list name="input_reports">\n', 1)[1].split("</list>", 1)[0]
    return [re.sub(r"^<item>(.*) \(.*\)</item>$", r"\1", line) for line in part.splitlines()]


def feed_when_settled(procs, fifos, reports):
    """Hands each run its report once every run still going waits for its
    report or for the lock; returns when every report is handed over."""
    opened = {}  # run -> write end of its FIFO
    fed = set()
    feeders = []
    deadline = time.monotonic() + TIME_LIMIT
    while len(fed) < len(procs):
        if time.monotonic() > deadline:
            raise Failure("the runs did not finish within %d s" % TIME_LIMIT)
        for k in range(len(procs)):
            if k in fed or k in opened:
                continue
            try:
                opened[k] = os.open(fifos[k], os.O_WRONLY | os.O_NONBLOCK)
            except OSError as e:
                if e.errno != errno.ENXIO:
                    raise
        waiting = pids_waiting_for_a_lock()
        going = [k for k in range(len(procs)) if k not in fed and procs[k].poll() is None]
        unfed_ended = [k for k in range(len(procs)) if k not in fed and k not in opened
                       and procs[k].poll() is not None]
        if unfed_ended:
            raise Failure("run %d ended before it read its report" % (unfed_ended[0] + 1))
        settled = all(k in opened or procs[k].pid in waiting for k in going)
        if settled and opened:
            for k, fd in opened.items():
                os.set_blocking(fd, True)
                feeder = threading.Thread(target=write_all, args=(fd, reports[k]))
                feeder.start()
                feeders.append(feeder)
                fed.add(k)
            opened = {}
        time.sleep(0.005)
    for feeder in feeders:
        feeder.join()


def write_all(fd, path):
    with open(path, "rb") as f:
        data = memoryview(f.read())
    try:
        while data:
            data = data[os.write(fd, data):]
    except BrokenPipeError:
        pass  # the run ended early; its status tells why
    finally:
        os.close(fd)


def check(binary, generator, scratch, env):
    gen = os.path.join(scratch, "gen")
    subprocess.run([sys.executable, generator, "--out", gen, "--runs", str(RUNS + 1),
                    "--files", "3", "--functions", "4", "--probes", "12", "--headers", "2",
                    "--changed-share", "0.25", "--seed", "18"], check=True,
                   stdout=subprocess.DEVNULL)
    work = os.path.join(scratch, "work")
    ref = os.path.join(scratch, "ref")
    os.makedirs(work)
    os.makedirs(ref)
    names = ["in%d.xml" % (k + 1) for k in range(RUNS)]
    reports = [os.path.join(gen, "run%03d.xml" % (k + 2)) for k in range(RUNS)]
    for folder in (work, ref):
        shutil.copy(os.path.join(gen, "run001.xml"), os.path.join(folder, "first.xml"))
    for name, report in zip(names, reports):
        shutil.copy(report, os.path.join(ref, name))
        os.mkfifo(os.path.join(work, name))
    run(binary, ["first.xml", "-m", "state.xml"], work)

    procs = []
    errs = []
    try:
        for name in names:
            err = tempfile.TemporaryFile(dir=scratch)
            errs.append(err)
            procs.append(subprocess.Popen([binary, "state.xml", name, "-m", "state.xml"],
                                          cwd=work, env=env, stdout=subprocess.DEVNULL,
                                          stderr=err))
        feed_when_settled(procs, [os.path.join(work, n) for n in names], reports)
        for proc in procs:
            proc.wait(timeout=TIME_LIMIT)
    finally:
        for proc in procs:
            if proc.poll() is None:
                proc.kill()
                proc.wait()

    for k, (proc, err) in enumerate(zip(procs, errs)):
        err.seek(0)
        said = err.read().decode(errors="replace")
        if proc.returncode != 0 or said not in ("", WAIT_LINE):
            raise Failure("run %d: status %d, standard error %r" % (k + 1, proc.returncode, said))

    order = input_reports(os.path.join(work, "state.xml"))
    lost = [n for n in names if n not in order]
    if lost:
        raise Failure("reports lost: %s (the state holds %s)" % (", ".join(lost), ", ".join(order)))
    if order[0] != "first.xml" or sorted(order[1:]) != sorted(names):
        raise Failure("the state holds the reports %s" % ", ".join(order))
    run(binary, ["state.xml", "-p", "final.txt", "-x", "final.xml"], work)
    run(binary, order + ["-p", "final.txt", "-x", "final.xml"], ref)
    for output in ("final.txt", "final.xml"):
        if masked(os.path.join(work, output)) != masked(os.path.join(ref, output)):
            raise Failure("%s differs from one run over %s" % (output, " ".join(order)))
    return " ".join(order[1:])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("binary")
    parser.add_argument("--generator", required=True)
    parser.add_argument("--without-lock", action="store_true")
    options = parser.parse_args()
    env = dict(os.environ)
    if options.without_lock:
        env["KOVXMLMERGE_TEST_NO_STATE_LOCK"] = "1"
    scratch = tempfile.mkdtemp(prefix="kov-lock-")
    try:
        order = check(os.path.realpath(options.binary), options.generator, scratch, env)
    except Failure as failure:
        if options.without_lock and str(failure).startswith("reports lost"):
            print("without the lock the check fails as it must: %s" % failure)
            return 0
        print("FAIL: %s" % failure)
        return 1
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    if options.without_lock:
        print("FAIL: without the lock no report was lost (the check cannot fail)")
        return 1
    print("%d runs took the lock in the order %s; the state holds every report" % (RUNS, order))
    return 0


if __name__ == "__main__":
    sys.exit(main())
