#!/usr/bin/python3
"""What bench/run.sh prints at the end.

report.py table WORK SAVED: the table of medians over the rounds, ratios to
the reference receiver and PASS/FAIL, from the result lines in
WORK/results.txt, with the faults in WORK/faults.txt under it; the table,
the results and the faults are kept in SAVED. Exit status 0 when every
target is met, 1 when one is missed, 2 when a fault was seen.

report.py callgrind WORK ARRIVALS: instructions per arrival from
WORK/startup.callgrind and WORK/arrivals.callgrind.
"""

import collections
import datetime
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PIN_NAMES = {"separate": "separate cores", "same": "same core"}
# Functions whose inclusive cost per arrival is worth a look; those missing
# from a profile are left out.
FUNCTIONS = """QWidgetRepaintManager::paintAndFlush() ReceivedDataView::paintEvent( ReceivedDataView::rowsAppended()
ReceivedDataView::updateScrollRanges() QFontMetrics::elidedText( SocketSet::onReadable(
frmInterface::Winsock_DataArrival( QLineEdit::setText( frmInterface::PrepareAck() FileChannel::writeLine(
SocketSet::SendData( frmInterface::tmrFlash_Timer() QWidget::setWindowIcon(""".split()


def num(value, decimals=0):
    return "-" if value is None else f"{value:.{decimals}f}"


def judge(value, sign, limit):
    if value is None:
        return "no figure"
    return "PASS" if (value >= limit if sign == "≥" else value <= limit) else "FAIL"


def table(work, saved):
    with open(f"{work}/results.txt") as lines:
        results = [dict(pair.split("=", 1) for pair in line.split()) for line in lines if line.strip()]
    with open(f"{work}/faults.txt") as lines:
        faults = lines.read().splitlines()
    run = next(line for line in results if line.get("scenario") == "run")
    count = {key: int(value) for key, value in run.items() if value.isdigit()}
    pinnings = run["pinnings"].split(",")
    receivers = ["corvane", "reference", "python"]
    rows = []

    def row(*cells):
        rows.append("| " + " | ".join(cells) + " |")

    def single(title, value, target="", verdict=""):
        row(title, "none", value, "", "", "", target, verdict)

    def last(**wanted):
        found = [line for line in results if all(line.get(k) == v for k, v in wanted.items())]
        return found[-1] if found else {}

    def value(line, key):
        return float(line[key]) if key in line else None

    def median(receiver, scenario, key, pin):
        values = [float(line[key]) for line in results
                  if line.get("receiver") == receiver and line.get("scenario") == scenario and key in line
                  and pin in ("*", line["pin"])]
        return statistics.median(values) if values else None

    # One row per pinning. A target, by pinning, is on the ratio to the
    # reference ("0.9x") or on Corvane's own figure ("300 ms"); a count has
    # no meaningful ratio.
    def figure(title, scenario, key, targets=None, is_count=False, decimals=0, pins=pinnings):
        for pin in pins:
            corvane, reference, python = (median(r, scenario, key, pin) for r in receivers)
            ratio = corvane / reference if corvane is not None and reference else None
            target, verdict = "", ""
            if targets and pin in targets:
                sign, limit = targets[pin]
                judged = ratio if limit.endswith("x") else corvane
                target, verdict = f"{sign} {limit}", judge(judged, sign, float(limit.rstrip("x ms")))
            row(title, PIN_NAMES.get(pin, "as pinned"), num(corvane, decimals), num(reference, decimals),
                num(python, decimals), "" if is_count else "-" if ratio is None else f"{ratio:.2f}x", target, verdict)

    python_head = "python3-hl7" if "python" in run["receivers"].split(",") else "python3-hl7 (not installed)"
    row(f"Figure (median of {count['rounds']} rounds)", "Pinning", "Corvane", "Reference", python_head,
        "Corvane / ref", "Target", "Result")
    row("---", "---", "---:", "---:", "---:", "---:", "---", "---")
    figure(f"Lock-step acks/s ({count['lockstep']} × 1 KB)", "lockstep", "acks_per_s",
           {"separate": ("≥", "0.9x"), "same": ("≥", "0.4x")})
    figure("Lock-step latency p50, µs", "lockstep", "latency_p50_us")
    figure("Lock-step latency p99, µs", "lockstep", "latency_p99_us", {"separate": ("≤", "1.5x")})
    figure("Lock-step latency max, µs", "lockstep", "latency_max_us")
    figure(f"Burst taken in, msgs/s ({count['burst']} × 1 KB)", "burst", "msgs_per_s",
           {"separate": ("≥", "0.5x"), "same": ("≥", "0.5x")})
    figure("Burst: lines stored (arrivals)", "burst", "stored_lines", is_count=True)
    figure("Burst: largest arrival, bytes", "burst", "largest_arrival", is_count=True)
    figure(f"Large {count['large']} × 1 MB one at a time, MB/s", "large", "mb_per_s")
    figure("Large: 1 MB sent to stored, p50 µs", "large", "stored_p50_us")
    figure(f"Connect-and-close cycle p50, µs ({count['cycles']} cycles)", "cycles", "cycle_p50_us")
    figure(f"Connects refused in {count['cycles']} cycles", "cycles", "refused", is_count=True)
    figure("Start-up to listening, ms (every start)", "listen", "startup_ms", {"*": ("≤", "300 ms")}, decimals=1,
           pins=["*"])

    # Resident memory at most 40 MiB above that at the start: the list costs
    # a few bytes a row, whatever the arrivals' size. When the 1 KB run
    # stopped early, the figure is also projected from the growth per arrival.
    for round_name, size, wanted in (("memory", "1 KB", count["memory"]), ("huge", "4 MB", count["huge"])):
        memory, pace = last(round=round_name, scenario="memory"), last(round=round_name, receiver="corvane",
                                                                        scenario="lockstep" if round_name == "memory" else "large")
        if not (memory and pace):
            single(f"Resident memory after arrivals of {size} one at a time, MiB", "-", "≤ start + 40 MiB", "no figure")
            continue
        arrivals, rss, start = int(pace["count"]), value(memory, "rss_kb"), value(memory, "rss_start_kb")
        measured = [(f"after {arrivals} arrivals of {size}", rss)]
        if arrivals < wanted:
            measured.append((f"projected to {wanted} arrivals of {size}", start + (rss - start) * wanted / arrivals))
        for text, kb in measured:
            limit = start / 1024 + 40
            single(f"Resident memory {text} (start {start / 1024:.1f}), MiB", num(kb / 1024, 1), f"≤ {limit:.1f} MiB",
                   judge(kb / 1024, "≤", limit))
        if round_name == "memory":
            single("Memory run: lock-step acks/s in its first tenth → last tenth",
                   f"{num(value(pace, 'first_tenth_acks_per_s'))} → {num(value(pace, 'last_tenth_acks_per_s'))}")
            single("Resident memory growth per 1 KB arrival, bytes", f"{(rss - start) * 1024 / arrivals:.0f}")

    # This build against the one given by --against, in the same rounds.
    if "against" in run["receivers"].split(","):
        for pin in pinnings:
            now, before = median("corvane", "lockstep", "acks_per_s", pin), median("against", "lockstep", "acks_per_s", pin)
            ratio = now / before if now and before else None
            row(f"Lock-step acks/s, this build against {run['against']}", PIN_NAMES.get(pin, pin), num(now), num(before),
                "", "-" if ratio is None else f"{ratio:.2f}x", "≥ 0.9x", judge(ratio, "≥", 0.9))

    # Message mode (each framed message answered with its own control id) in
    # the same rounds: against arrival mode, and its burst against the reference.
    def compared(title, scenario, key, other, limit):
        for pin in pinnings:
            mode, base = median("messages", scenario, key, pin), median(other, scenario, key, pin)
            ratio = mode / base if mode and base else None
            row(title, PIN_NAMES.get(pin, pin), num(mode), num(base), "", "-" if ratio is None else f"{ratio:.2f}x",
                f"≥ {limit}x", judge(ratio, "≥", limit))

    if "messages" in run["receivers"].split(","):
        compared("Message mode: lock-step acks/s, against arrival mode", "lockstep", "acks_per_s", "corvane", 0.95)
        compared("Message mode: burst taken in, msgs/s, against the reference", "burst", "msgs_per_s", "reference", 0.5)

    quick, slow = last(round="window-lockstep", scenario="window"), last(round="window-slow", scenario="window")
    now, slowed = value(quick, "lockstep_acks_per_s"), value(slow, "lockstep_acks_per_s")
    ratio = slowed / now if now and slowed else None
    row("Window: lock-step acks/s, every read of the data file 10 ms slower, against as it is", "none", num(slowed),
        num(now), "", "-" if ratio is None else f"{ratio:.2f}x", "≥ 0.9x", judge(ratio, "≥", 0.9))

    window = last(round="window", scenario="window")
    stall = value(window, "burst_max_stall_ms")
    single(f"Window: longest event-loop stall during a {count['burst']} × 1 KB burst, ms", num(stall, 1), "≤ 50 ms",
           judge(stall, "≤", 50))
    single(f"Window: longest stall during {count['window_lockstep']} lock-step arrivals, ms",
           num(value(window, "lockstep_max_stall_ms"), 1))
    single("Window: burst taken in, msgs/s (real window, shown)", num(value(window, "burst_msgs_per_s")))

    description = {"quick": "quick run (bench/run.sh --quick)", "full": "full run (bench/run.sh --full)"}
    with open(f"{ROOT}/CMakeLists.txt") as project:
        version = re.search(r"project\(Corvane VERSION ([0-9.]+)", project.read()).group(1)
    heading = (f"Corvane {version}: {description.get(run['mode'], 'bench/run.sh')}, {datetime.date.today()}, "
               f"{len(os.sched_getaffinity(0))} CPUs, {platform.release()}")
    if count["memory_seconds"] > 0:
        heading += f"; the memory run is limited to {count['memory_seconds']} s"
    text = "\n".join([heading, "", *rows, "",
                      f"Separate cores: receiver on CPU {run['receiver_cpu']}, client on CPU {run['client_cpu']}; "
                      f"same core: both on CPU {run['receiver_cpu']}; Xvfb unpinned. Wall-clock figures from a small "
                      "shared machine: expect 10-30 % noise between runs."])
    print(text)
    os.makedirs(saved, exist_ok=True)
    with open(f"{saved}/table.md", "w") as kept:
        kept.write(text + "\n")
    for name in ("results.txt", "faults.txt"):
        shutil.copy(f"{work}/{name}", saved)

    failed = sum(line.endswith(("| FAIL |", "| no figure |")) for line in rows)
    passed = sum(line.endswith("| PASS |") for line in rows)
    print(f"\nTargets: {passed} PASS, {failed} FAIL. Results and table kept in {saved}.")
    if faults:
        print("Faults seen (a receiver misbehaved or a tool failed):")
        print("\n".join("  " + fault for fault in faults))
        return 2
    return 1 if failed else 0


def callgrind(work, arrivals):
    arrivals = int(arrivals)

    def total(name):
        with open(f"{work}/{name}.callgrind") as profile:
            return int(re.search(r"^totals: *(\d+)", profile.read(), re.M).group(1))

    startup, with_arrivals = total("startup"), total("arrivals")
    profile = f"{work}/arrivals.callgrind"
    inclusive = subprocess.run(["callgrind_annotate", "--inclusive=yes", "--threshold=100", profile],
                               capture_output=True, text=True, check=True).stdout.splitlines()
    # Calls into each function; a name is written out once, then only its number.
    names, calls, callee = {}, collections.Counter(), None
    with open(profile) as lines:
        for line in lines:
            if match := re.match(r"(c?)fn=\((\d+)\) ?(.*)", line):
                names[match[2]] = match[3].strip() or names.get(match[2], "")
                callee = match[2] if match[1] else callee
            elif line.startswith("calls=") and callee:
                calls[callee] += int(line[6:].split()[0])
    print(f"Callgrind, Corvane under Xvfb, {arrivals} lock-step arrivals of 1 KB, {datetime.date.today()}:")
    print(f"  start-up only:            {startup} Ir")
    print(f"  start-up and arrivals:    {with_arrivals} Ir")
    print(f"  instructions per arrival: {(with_arrivals - startup) / arrivals:.0f} Ir")
    print("Inclusive instructions in the arrivals run, per arrival:")
    for function in FUNCTIONS:
        ir = next((int(line.split()[0].replace(",", "")) for line in inclusive if f":{function}" in line), None)
        called = next((calls[i] for i, name in names.items() if name.startswith(function)), None)
        if ir is not None or called is not None:
            print(f"  {function:<42} {(ir or 0) / arrivals:14.0f} Ir/arrival  "
                  f"{(called or 0) / arrivals:8.2f} calls/arrival")
    return 0


if __name__ == "__main__":
    commands = {"table": table, "callgrind": callgrind}
    if len(sys.argv) != 4 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    sys.exit(commands[sys.argv[1]](*sys.argv[2:]))
