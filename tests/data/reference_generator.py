#!/usr/bin/env python3
"""An independent second implementation of the cut-file generation, used only to write the
expected files of the golden cases in this folder (tests compare the program's output with
them byte for byte).

Usage: tests/data/reference_generator.py CASE_DIR ...
Each CASE_DIR holds case.txt (key=value lines), left.dat and right.dat; the script writes
expected_cut.ct1 and expected_cut_cnt.ct2 beside them.
"""
import math
import os
import sys


def read_case(path):
    case = {}
    with open(path) as f:
        for line in f:
            line = line.strip()
            if line and not line.startswith("#"):
                k, v = line.split("=", 1)
                case[k.strip()] = v.strip()
    return case


def read_profile(path, washout_deg=None):
    with open(path) as f:
        text = f.read()
    items = text.replace(",", " ").split()
    vals = [float(i) for i in items]
    assert len(vals) % 2 == 0
    xs, ys = vals[0::2], vals[1::2]
    if washout_deg is not None:
        s = math.tan(washout_deg * 0.0174532925)
        ys = [y + x * s for x, y in zip(xs, ys)]
    return xs, ys


def patterns(case):
    """The sixteen port-byte patterns from the pin map and reversals."""
    def pin(name):
        return 1 << (int(case[name].split()[1]) - 2)

    out = {}
    for axis, is_x in (("X1", True), ("Y1", False), ("X2", True), ("Y2", False)):
        s = pin(axis.lower() + "_step")
        d = pin(axis.lower() + "_dir")
        rev = case.get("reverse" + axis, "0") == "1"
        if is_x:
            fwd, back = (d + s, s) if rev else (s, d + s)
            out[axis + "Forward"], out[axis + "Back"] = fwd, back
            out[axis + "ForwardDir"], out[axis + "BackDir"] = (d, 0) if rev else (0, d)
        else:
            up, down = (s, d + s) if rev else (d + s, s)
            out[axis + "Up"], out[axis + "Down"] = up, down
            out[axis + "UpDir"], out[axis + "DownDir"] = (0, d) if rev else (d, 0)
    return out


def steps_per_unit(k, c, s):
    return (k / c + 1) * c * s


def step_position(per_unit, u, u1):
    # counted from the first point, so each segment's rounding remainder carries on
    return round(per_unit * (u - u1))


def generate(case, left, right):
    pat = patterns(case)
    steps = round(float(case["steps_per_inch"]))
    kerf = round(float(case["kerf"]) * 10000) / 10000
    cl, cr = float(case["left_chord"]), float(case["right_chord"])
    wing = case.get("kind", "wing") == "wing"
    wl = float(case["left_angle"]) if wing and case.get("left_washout") == "1" else None
    wr = float(case["right_angle"]) if wing and case.get("right_washout") == "1" else None
    xl, yl = read_profile(left, wl)
    xr, yr = read_profile(right, wr)
    delays = [int(v) for v in case.get("delays", "").split(",") if v]
    step_lines, count_lines = [], []
    total = 0
    coords = [xl, yl, xr, yr]
    per_unit = [steps_per_unit(kerf, c, steps) for c in (cl, cl, cr, cr)]
    positions = [0, 0, 0, 0]
    names = [("X1", "Back", "Forward"), ("Y1", "Up", "Down"), ("X2", "Back", "Forward"),
             ("Y2", "Up", "Down")]
    for k in range(1, len(xl)):
        diffs = [xl[k] - xl[k - 1], yl[k] - yl[k - 1], xr[k] - xr[k - 1], yr[k] - yr[k - 1]]
        new = [step_position(c, u[k], u[0]) for c, u in zip(per_unit, coords)]
        counts = [abs(b - a) for a, b in zip(positions, new)]
        positions = new
        n = max(counts)
        if n == 0 and total == 0:
            n = 1  # an idle tick: a count line of 0 would read as a pause
        axes = []
        for (axis, pos, neg), d, c in zip(names, diffs, counts):
            word = pos if d > 0 else neg
            ratio = n / c if c >= 1 else None
            axes.append([c, ratio, ratio, pat[axis + word], pat[axis + word + "Dir"], 0])
        stepped = [[False] * (n + 1) for _ in axes]
        for j in range(1, n + 1):
            for i, a in enumerate(axes):
                if a[0] != 0 and a[2] <= j:
                    stepped[i][j] = True
                    a[2] += a[1]
                    a[5] += 1
        for i, a in enumerate(axes):
            # a step the repeated addition left owing goes to the latest tick without one
            j = n
            while a[0] >= 1 and a[5] < a[0]:
                while stepped[i][j]:
                    j -= 1
                stepped[i][j] = True
                a[5] += 1
        for j in range(1, n + 1):
            total += 1
            byte = sum(a[3] if stepped[i][j] else a[4] for i, a in enumerate(axes))
            step_lines.append("%d\r\n" % byte)
        count_lines.append("%d\r\n" % total)
        for p in delays:
            if p == k:
                count_lines.append("0\r\n")
    return "".join(step_lines), "".join(count_lines)


def main():
    for case_dir in sys.argv[1:]:
        case = read_case(os.path.join(case_dir, "case.txt"))
        steps, counts = generate(case, os.path.join(case_dir, "left.dat"),
                                 os.path.join(case_dir, "right.dat"))
        with open(os.path.join(case_dir, "expected_cut.ct1"), "w", newline="") as f:
            f.write(steps)
        with open(os.path.join(case_dir, "expected_cut_cnt.ct2"), "w", newline="") as f:
            f.write(counts)
        print(case_dir, len(steps.splitlines()), "ticks")


if __name__ == "__main__":
    main()
