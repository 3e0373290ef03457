#!/usr/bin/env python3
"""Prints the table and the ratios of one benchmark run (scripts/bench.sh,
scripts/bench-windows.sh): every benchmark's time, then the ratios the
performance targets are stated in, each with its target and whether the run
meets it. All ratios come from this one run.

Usage: bench-report.py RESULTS.json [--beside OTHER.json --names THIS,OTHER]

With --beside, the results of another build run in the same script run (the
Windows module under Wine beside the Linux one) follow: both builds' times
of every benchmark both ran, the ratio of the two, and the targets that
compare them.
"""
import argparse
import json
import re
import sys

parser = argparse.ArgumentParser()
parser.add_argument("results")
parser.add_argument("--beside")
parser.add_argument("--names", default="this,other")
args = parser.parse_args()


def load(path):
    with open(path) as f:
        return [b for b in json.load(f)["benchmarks"] if b.get("run_type", "iteration") == "iteration"]


runs = load(args.results)
by_name = {b["name"]: b for b in runs}
to_seconds = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}


def seconds(b, key="real_time"):
    return b[key] * to_seconds[b["time_unit"]]


def show_time(s):
    for unit, scale in (("s", 1.0), ("ms", 1e-3), ("us", 1e-6)):
        if s >= scale:
            return f"{s / scale:.3g} {unit}"
    return f"{s / 1e-9:.3g} ns"


def show_rate(r):
    for unit, scale in (("G", 1e9), ("M", 1e6), ("k", 1e3)):
        if r >= scale:
            return f"{r / scale:.3g}{unit}/s"
    return f"{r:.3g}/s"


print()
print(f"{'benchmark':<62} {'time':>10} {'cpu':>10} {'keys/s':>12}")
for b in runs:
    rate = b.get("keys/s", b.get("items_per_second"))
    print(f"{b['name']:<62} {show_time(seconds(b)):>10} {show_time(seconds(b, 'cpu_time')):>10} "
          f"{show_rate(rate) if rate else '':>12}")

verdicts = []


def ratio(label, value, target, meets, detail=""):
    """Prints one ratio; `meets` None: for information, no target."""
    if value is None:
        print(f"  {label:<56} {'not run':>9}   target {target}")
        return
    if meets is not None:
        verdicts.append(meets)
    verdict = "" if meets is None else ("met" if meets else "NOT MET")
    print(f"  {label:<56} {value:>9.3g}   target {target:<8} {verdict:<7}  {detail}")


def counter(name, key):
    b = by_name.get(name)
    return None if b is None or key not in b else b[key]


print("\nratios (one run)")
v = counter("PeerSideBySide_AlignKeyChain", "imath/ours")
ratio("align_key chain: Imath chain time / ours", v, ">= 4", v is not None and v >= 4.0,
      f"(ours {counter('PeerSideBySide_AlignKeyChain', 'ours_ns') or 0:.0f} ns, "
      f"Imath {counter('PeerSideBySide_AlignKeyChain', 'imath_ns') or 0:.0f} ns per key)" if v else "")
v = counter("SideBySide_AlignKeyChain", "old/new")
ratio("align_key chain: today's scalar kernels / ours", v, "-", None,
      f"(ours {counter('SideBySide_AlignKeyChain', 'new_ns') or 0:.0f} ns, "
      f"scalar {counter('SideBySide_AlignKeyChain', 'old_ns') or 0:.0f} ns per key)" if v else "")
v = counter("PeerSideBySide_ImathVsTrigFloor", "imath/floor")
ratio("  bound of a scalar chain: Imath chain / the C library's calls alone", v, "-", None,
      "(the most a chain making those calls one key at a time could gain on Imath)" if v else "")
v = counter("PeerSideBySide_CorrectKey", "imath/ours")
ratio("correct_key: Imath time / ours", v, "-", None,
      f"(ours {counter('PeerSideBySide_CorrectKey', 'ours_ns') or 0:.0f} ns, "
      f"Imath {counter('PeerSideBySide_CorrectKey', 'imath_ns') or 0:.0f} ns per key)" if v else "")
v = counter("SideBySide_CorrectRecords", "old/new")
ratio("correct_key over 10,000 records: scalar kernels / ours", v, ">= 3", v is not None and v >= 3.0,
      f"(ours {counter('SideBySide_CorrectRecords', 'new_ns') or 0:.0f} ns, "
      f"scalar {counter('SideBySide_CorrectRecords', 'old_ns') or 0:.0f} ns per record)" if v else "")
v = counter("BM_FrameVsTrigFloor", "frame/floor")
ratio("build_frame + read_angles / trigonometric floor", v, "<= 1.3", v is not None and v <= 1.3,
      f"(frame {counter('BM_FrameVsTrigFloor', 'frame_ns') or 0:.0f} ns, "
      f"floor {counter('BM_FrameVsTrigFloor', 'floor_ns') or 0:.0f} ns)" if v else "")
for b in runs:
    if b["name"].startswith("BM_ReadBack/"):
        ratio(f"read-back, {b['name'][len('BM_ReadBack/'):]} variant: ns per key", 1e9 / b["items_per_second"], "-",
              None)
for items, keys, target in ((1, 100000, 3.0), (100, 10000, 2.5)):
    name = f"ScanKernels/items:{items}/keys:{keys}/iterations:{12 if items == 1 else 8}/real_time"
    v = counter(name, "old/new")
    ratio(f"scan {items} x {keys:,} keys: through scalar kernels / ours", v, f">= {target}",
          v is not None and v >= target,
          f"(ours {counter(name, 'new_ms') or 0:.2f} ms, scalar {counter(name, 'old_ms') or 0:.2f} ms; "
          "fastest of each)" if v else "")
    v = counter(name, "new/floor")
    ratio(f"scan {items} x {keys:,} keys: ours / (host I/O + read-back alone)", v, "<= 1.5",
          v is not None and v <= 1.5,
          f"(host I/O {counter(name, 'copy_ms') or 0:.2f} ms, read-back {counter(name, 'readback_ms') or 0:.2f} ms; "
          f"ours / host I/O alone {counter(name, 'new/copy') or 0:.2f})" if v else "")
v = counter("ScanSpeedUp/items:100/keys:10000/iterations:6/real_time", "speedup")
ratio("scan 100 items x 10,000 keys: speed-up 1 -> 2 threads", v, ">= 1.6", v is not None and v >= 1.6,
      "(fastest of 6 each; means: "
      f"{counter('ScanSpeedUp/items:100/keys:10000/iterations:6/real_time', 'speedup_mean') or 0:.2f}; "
      "split of the CPU time allows "
      f"{counter('ScanSpeedUp/items:100/keys:10000/iterations:6/real_time', 'speedup_cpu') or 0:.2f})" if v else "")

# Time growth of the end-to-end commands: for each step to 10 or 100 times the
# keys (or items), the time may grow at most 1.1 times as much.
sized = {}
for b in runs:
    m = re.match(r"^(Scan|ScanCold|InferiorAngle|SuperiorAngle|RealTime|RealTimeCold)/items:(\d+)/keys:(\d+)/", b["name"])
    if m:
        sized[(m.group(1), int(m.group(2)), int(m.group(3)))] = seconds(b)
print("\ngrowth (time ratio / size ratio; linear is 1, target <= 1.1; ScanCold, RealTimeCold: the keys")
print("flushed from the caches first, so that small scenes are not measured as cached from the last repeat)")
for (command, items, keys), t in sorted(sized.items()):
    for bigger, label in (((command, items, keys * 10), "keys x10"), ((command, items, keys * 100), "keys x100"),
                          ((command, items * 100, keys), "items x100")):
        if bigger not in sized:
            continue
        if label == "keys x100" and (command, items, keys * 10) in sized:
            continue  # reported as two steps of 10
        factor = bigger[2] / keys if bigger[2] != keys else bigger[1] / items
        grows = sized[bigger] / t / factor
        ratio(f"{command} items {items} keys {keys}: {label}", grows, "<= 1.1", grows <= 1.1)

name = "ProgramBesideReadingFloor/items:100/keys:3000/iterations:3/manual_time"
for command, target in (("check", 1.5), ("scan", 2.0)):
    v = counter(name, f"{command}/floor")
    ratio(f"tavorix {command} of a 108 MB scene / reading floor", v, f"<= {target}", v is not None and v <= target,
          f"({command} {counter(name, f'{command}_s') or 0:.2f} s, floor {counter(name, 'floor_s') or 0:.2f} s; "
          "fastest of 3 each)" if v else "")
for command, target in (("check", 3.15), ("scan", 4.54)):
    v = counter(name, f"{command}_peak/file")
    ratio(f"tavorix {command} peak memory / file size", v, f"<= {target}", v is not None and v <= target)

print("\ntargets")
t = by_name.get("Scan/items:1/keys:100000/real_time")
ratio("scan, 1 item x 100,000 keys: time (ms)", t and seconds(t) * 1e3, "<= 25", t is not None and seconds(t) <= 0.025)
t = by_name.get("Scan/items:100/keys:10000/real_time")
ratio("scan, 100 items x 10,000 keys: time (s)", t and seconds(t), "<= 0.25", t is not None and seconds(t) <= 0.25)
for command, keys in (("RealTime", 10), ("RealTime", 1000), ("RealTimeCold", 1000)):
    t = by_name.get(f"{command}/items:10000/keys:{keys}/manual_time")
    ratio(f"one real-time correction, 10,000 items ({keys} keys{', cold' if 'Cold' in command else ''}): ms", t and seconds(t) * 1e3, "< 1",
          t is not None and seconds(t) < 1e-3)
peaks = [(b["name"], b["peak/scene"]) for b in runs if "peak/scene" in b and not b["name"].startswith("ScanSpeed")]
if peaks:
    name, worst = max(peaks, key=lambda p: p[1])
    ratio("scan peak memory / scene key storage (worst)", worst, "<= 2", worst <= 2.0, f"({name})")

if args.beside:
    this_name, other_name = (args.names.split(",") + ["other"])[:2]
    other_runs = load(args.beside)
    other_by_name = {b["name"]: b for b in other_runs}
    print(f"\n{this_name} beside {other_name} (same script run; {this_name} time / {other_name} time)")
    print(f"{'benchmark':<62} {other_name:>10} {this_name:>10} {'ratio':>7}")
    for b in runs:
        o = other_by_name.get(b["name"])
        if o is None:
            continue
        print(f"{b['name']:<62} {show_time(seconds(o)):>10} {show_time(seconds(b)):>10} "
              f"{seconds(b) / seconds(o):>7.3g}")

    def other_counter(name, key):
        b = other_by_name.get(name)
        return None if b is None or key not in b else b[key]

    print(f"\nthe {this_name} module against the scalar kernels and against the {other_name} module")
    contests = [("align_key chain", "SideBySide_AlignKeyChain", "new_ns", "old_ns", "ns per key")]
    for items, keys in ((1, 100000), (100, 10000)):
        contests.append((f"scan {items} x {keys:,} keys",
                         f"ScanKernels/items:{items}/keys:{keys}/iterations:{12 if items == 1 else 8}/real_time",
                         "new_ms", "old_ms", "ms, fastest of each"))
    for label, name, ours, scalar, unit in contests:
        mine, theirs = counter(name, ours), other_counter(name, ours)
        mine_scalar, theirs_scalar = counter(name, scalar), other_counter(name, scalar)
        speedup = mine_scalar / mine if mine and mine_scalar else None
        ratio(f"{label}: {this_name} scalar kernels / {this_name} ours", speedup, ">= 2.3",
              speedup is not None and speedup >= 2.3,
              f"(ours {mine:.3g}, scalar {mine_scalar:.3g} {unit}; {other_name}: "
              f"{(theirs_scalar or 0) / (theirs or 1):.3g})" if speedup else "")
        floor = counter(name, "copy_ms")
        if floor and mine_scalar:
            ratio(f"  bound: {this_name} scalar kernels / {this_name} host I/O alone", mine_scalar / floor, "-", None,
                  "(the most any transform stage could give this scan)")
        versus = mine / theirs if mine and theirs else None
        ratio(f"{label}: {this_name} ours / {other_name} ours", versus, "<= 1.25",
              versus is not None and versus <= 1.25,
              f"({this_name} {mine:.3g}, {other_name} {theirs:.3g} {unit})" if versus else "")
        if floor and theirs:
            ratio(f"  bound: {this_name} host I/O alone / {other_name} ours", floor / theirs, "-", None,
                  "(the least any transform stage could reach)")

print(f"\ntargets met: {sum(verdicts)} of {len(verdicts)}")