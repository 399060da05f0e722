"""Prints bench/run's figures as one table, with each goal beside its figure."""
import json
import os
import re
import statistics
import sys

results = sys.argv[1]


def benchmark_rates(name):
    with open(os.path.join(results, name)) as f:
        data = json.load(f)
    # Repeated benchmarks report their median under "name/repeats:N".
    rates = {}
    for entry in data["benchmarks"]:
        if entry.get("aggregate_name", "median") == "median":
            rates[re.sub(r"/repeats:\d+$", "", entry["run_name"])] = entry
    return rates


def row(figure, value, goal=""):
    print(f"| {figure} | {value} | {goal} |")


print("| figure | value | goal / baseline |")
print("|---|---|---|")

with open(os.path.join(results, "capture.txt")) as f:
    captures = [dict(re.findall(r"(\w+)=(\S+)", line)) for line in f if line.startswith("capture")]
for c in captures:
    n = int(c["N"])
    finder, bare = int(c["finder"]), int(c["bare"])
    row(f"capture, burst of {n:,}",
        f"{finder:,} rows ({100 * finder / n:.1f}%), order {c['order']}",
        f"all; bare loop with default buffer: {bare:,} ({100 * bare / n:.1f}%)")

with open(os.path.join(results, "busy.txt")) as f:
    for c in (dict(re.findall(r"(\w+)=(\S+)", line)) for line in f if line.startswith("busy")):
        n, spinning = int(c["N"]), int(c["spinning"])
        for who, what in (("worker", "window's worker"), ("find", "orvane-find")):
            got = int(c[who])
            row(f"capture, three hosts' {n:,}, {spinning} processes spinning: {what}",
                f"{got:,} ({100 * got / n:.1f}%), {c[who + '_ms']} ms after the last",
                f"bare loop: {int(c['bare']):,} ({100 * int(c['bare']) / n:.1f}%)")

receive = benchmark_rates("receive.json")
bare = receive["BM_BareRecvfrom"]["items_per_second"]
worker = receive["BM_WorkerReceivePath"]["items_per_second"]
row("ingest, worker receive path", f"{worker / 1e3:,.0f} k datagrams/s ({100 * worker / bare:.0f}% of bare)",
    f">= 80% of bare recvfrom loop: {bare / 1e3:,.0f} k/s")

goals = {10000: 1150, 100000: 1800}
for c in captures:
    n = int(c["N"])
    goal = f"<= {goals[n]} ms" if n in goals else ""
    row(f"delivery, last reply to table full, {n:,} rows", f"{c['delivery_ms']} ms", goal)
for c in captures:
    row(f"window's longest stall while receiving {int(c['N']):,}", f"{c['gui_stall_ms']} ms",
        "answers input")

table = benchmark_rates("table.json")
parts = {"BM_FillTable": "table fill alone (judged, fitted)", "BM_JudgeReplies": "of it: judgement",
         "BM_JudgeFullSubnet": "judgement, every host of a /15 outside the subnet",
         "BM_FitColumns": "of it: column fitting",
         "BM_SortByHeader": "sort by a header's click",
         "BM_CompareWithList": "a list of the devices expected read and compared with as many answers"}
table_goals = {"BM_CompareWithList": "< 50 ms"}
for name, entry in sorted(table.items(), key=lambda item: list(parts).index(item[0].split("/")[0])):
    args = name.split("/")
    sorted_by = f" by {['Hostname', 'IP-Address'][int(args[2])]}" if len(args) > 2 else ""
    row(f"{parts[args[0]]}{sorted_by}, {int(args[1]):,} rows", f"{entry['real_time']:.1f} ms"
        if entry['real_time'] < 10 else f"{entry['real_time']:.0f} ms", table_goals.get(args[0], ""))

per10k = [int(c["heap_bytes_per_10k_rows"]) for c in captures if int(c["N"]) >= 10000]
row("heap per 10,000 rows held", f"{statistics.median(per10k) / 2**20:.1f} MiB", "")

with open(os.path.join(results, "sweep.txt")) as f:
    for c in (dict(re.findall(r"(\w+)=(\S+)", line)) for line in f if line.startswith("sweep")):
        rate = int(c["rate"])
        row(f"orvane-find --to, a /16 through a router, --rate {rate:,}",
            f"{int(c['ms']) / 1000:.1f} s, {c['rows']} devices, {int(c['pace']):,} requests/s",
            f"<= {rate:,} requests/s")

with open(os.path.join(results, "startup.txt")) as f:
    runs = [dict(re.findall(r"(\w+)=(\d+)", line)) for line in f]
row("start-up, process start to window shown (median of %d)" % len(runs),
    f"{statistics.median(int(r['startup_ms']) for r in runs)} ms", "Xvfb")
row("resident memory with the window shown",
    f"{statistics.median(int(r['rss_kib']) for r in runs) / 1024:.1f} MiB", "")
