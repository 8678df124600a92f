"""Times varve.ne_to_am and varve.am_to_ne over one million numbers against a
pure-Python bisect over `varve-batch table` for the same numbers, in one run,
and reports the conversion's peak memory beside the size of its result; then
the same numbers as text: a pandas object Series of str, as read_csv gives a
column with one cell such as "4282?" (the result a DataFrame on its index).

    build-python/venv/bin/python bench/bindings_python.py [path/to/varve-batch] [count]

Needs the module installed (bindings/python/test.sh does it into
build-python/venv) and varve-batch built."""

import bisect
import csv
import subprocess
import sys
import time
import tracemalloc

import numpy as np

import varve

BATCH = sys.argv[1] if len(sys.argv) > 1 else "build/varve-batch"
COUNT = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000


def best_of(runs, f, *args):
    """The shortest wall time and the CPU time of that run, in seconds."""
    best = (float("inf"), 0.0)
    for _ in range(runs):
        wall, cpu = time.perf_counter(), time.process_time()
        f(*args)
        best = min(best, (time.perf_counter() - wall, time.process_time() - cpu))
    return best


def bisect_converter(direction):
    """A pure-Python conversion over varve-batch's table: bisect for each
    number, then the columns of its one or two rows."""
    text = subprocess.run([BATCH, "table", direction], check=True, capture_output=True,
                          text=True).stdout
    rows = list(csv.DictReader(text.splitlines(), delimiter="\t"))
    keys = [int(r["input"]) for r in rows]
    fields = [(r["sequence"], r["relation"], int(r["ne_first"]), int(r["ne_last"]),
               int(r["am_first"]), int(r["am_last"]), r["false_couplets"] == "true")
              for r in rows]

    def convert(values):
        out = [[] for _ in range(7)]
        for v in values:
            i = bisect.bisect_left(keys, v)
            if i == len(keys) or keys[i] != v:
                for column in out:
                    column.append(None)
                continue
            if direction == "ne-to-am":
                for column, field in zip(out, fields[i]):
                    column.append(field)
                continue
            lc = uc = None
            while i < len(keys) and keys[i] == v:
                if fields[i][0] == "LC":
                    lc = fields[i]
                else:
                    uc = fields[i]
                i += 1
            for column, link in ((0, lc), (3, uc)):
                out[column].append(link[1] if link else None)
                out[column + 1].append(link[2] if link else None)
                out[column + 2].append(link[3] if link else None)
            out[6].append(bool(lc and lc[6]) or bool(uc and uc[6]))
        return out

    return convert


def main():
    # Numbers over both chronologies' ranges, some outside.
    numbers = np.random.default_rng(1).integers(2400, 9100, COUNT)
    as_list = numbers.tolist()
    print(f"{COUNT} numbers, Python {sys.version.split()[0]}, numpy {np.__version__}")
    for direction, convert in (("ne-to-am", varve.ne_to_am), ("am-to-ne", varve.am_to_ne)):
        wall, cpu = best_of(3, convert, numbers)
        frame_wall, _ = best_of(3, lambda: varve.to_frame(convert(numbers)))
        tracemalloc.start()
        result = convert(numbers)
        peak = tracemalloc.get_traced_memory()[1]
        tracemalloc.stop()
        size = sum(c.data.nbytes + np.ma.getmaskarray(c).nbytes for c in result.values())
        reference = bisect_converter(direction)
        bisect_wall, bisect_cpu = best_of(1, reference, as_list)
        print(f"{direction}: varve {wall:.3f} s (cpu {cpu:.3f} s), with to_frame "
              f"{frame_wall:.3f} s; pure-Python bisect {bisect_wall:.3f} s "
              f"(cpu {bisect_cpu:.3f} s), {bisect_wall / wall:.0f}x; peak memory "
              f"{peak / 2**20:.0f} MiB for a result of {size / 2**20:.0f} MiB")
    try:
        import pandas as pd
    except ImportError:
        return
    text = pd.Series(numbers.astype(str).astype(object))
    for direction, convert in (("ne-to-am", varve.ne_to_am), ("am-to-ne", varve.am_to_ne)):
        wall, cpu = best_of(3, convert, text)
        listed_wall, listed_cpu = best_of(3, convert, text.tolist())
        print(f"{direction}: object Series of str {wall:.3f} s (cpu {cpu:.3f} s), giving a "
              f"DataFrame; list of str {listed_wall:.3f} s (cpu {listed_cpu:.3f} s)")


if __name__ == "__main__":
    main()
