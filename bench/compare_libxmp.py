#!/usr/bin/env python3
"""Runs xm_bench and prints, per song of the corpus, our render speed beside
libxmp's (linear interpolation, 48 kHz, 60 s of each song, single thread).

Usage: bench/compare_libxmp.py [--bench PATH] [extra google-benchmark options]
"""
import json
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def main():
    args = sys.argv[1:]
    bench = os.path.join(ROOT, "build", "native", "bin", "xm_bench")
    if args[:1] == ["--bench"]:
        bench, args = args[1], args[2:]
    output = subprocess.run([bench, "--benchmark_format=json"] + args,
                            check=True, capture_output=True, text=True).stdout
    speeds = {}
    for result in json.loads(output)["benchmarks"]:
        print(f'{result["name"]:48} {result["items_per_second"] / 48000:10.1f} x real time')
        parts = result["name"].split("/")
        if parts[0] == "BM_RenderSong":
            speeds.setdefault(parts[2], {})[parts[1]] = result["items_per_second"]
    print()
    ratios = []
    for song, pair in sorted(speeds.items()):
        if "ours" in pair and "libxmp" in pair:
            ratio = pair["ours"] / pair["libxmp"]
            ratios.append(ratio)
            print(f"{song:40} ours / libxmp = {ratio:5.2f}")
    if ratios:
        product = 1.0
        for r in ratios:
            product *= r
        print(f"{'geometric mean':40} ours / libxmp = {product ** (1 / len(ratios)):5.2f}")


if __name__ == "__main__":
    main()
