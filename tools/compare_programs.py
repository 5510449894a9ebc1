#!/usr/bin/env python3
"""Runs two builds of quenfit and monofit over the same data files and
compares, file by file, the exit status, standard output, standard error and
the bytes of the three reports (or that a report was not created).

    tools/compare_programs.py OLD_DIR NEW_DIR [--bad-inputs DIR] [--stress N]
                              [--only examples,corpus,bad,stress] [--keep DIR]

OLD_DIR and NEW_DIR hold the programs: native executables `quenfit` and
`monofit`, or `quenfit.js` and `monofit.js` (a WebAssembly build linked with
NODERAWFS, run under node). The data files:
  * examples/*.dat, run by both programs;
  * every file of fuzz/corpus/*, run by both programs;
  * the data files of the bad-input table (written by the test helper
    `bad_input_files DIR`), run by both programs;
  * N stress variants of each example (default 100): fields replaced by
    numbers at the edges of the double range (1e308, 1e-320, 0, negative
    values, huge concentrations), and in every other variant a spectrum,
    the standard or the concentrations (or a stretch of them) scaled by
    1e300, 1e-300, -1, 0 and the like; seeded, so that every run makes the
    same files. They drive the arithmetic-failure paths: overflow, division by
    zero and invalid operations in every stage.
Prints one line per difference and the counts; exits 1 when anything differs.

Typical use, comparing a change with the main branch:
    git worktree add /tmp/main-src main   (or git archive main | tar -x -C ...)
    cmake -S /tmp/main-src -B /tmp/main-build && cmake --build /tmp/main-build --target quenfit monofit
    build/tests/bad_input_files /tmp/bad
    tools/compare_programs.py /tmp/main-build/apps build/apps --bad-inputs /tmp/bad
and for the WebAssembly build (emcmake cmake -S . -B build-wasm -DQF_NODE_CHECK=ON):
    tools/compare_programs.py build/apps build-wasm/apps --bad-inputs /tmp/bad
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAMS = ("quenfit", "monofit")
REPORTS = ("result.txt", "graph.txt", "summary.txt")

EXTREMES = [
    "1e300", "-1e300", "1.7976931348623157e308", "-1.7e308", "1e308", "8e307",
    "1e200", "-1e200", "1e155", "1e100", "1e20", "-1e20", "1e-300", "-1e-300",
    "1e-320", "4.9e-324", "0", "-0", "-1", "-5000", "1e-5", "3",
]


# The arithmetic events the messages name.
EVENTS = ("division by zero", "invalid arithmetic", "arithmetic overflow")


def command(folder, program):
    native = os.path.join(folder, program)
    if os.path.isfile(native) and os.access(native, os.X_OK):
        return [native]
    script = os.path.join(folder, program + ".js")
    if os.path.isfile(script):
        return ["node", script]
    sys.exit(f"no {program} or {program}.js in {folder}")


def run(cmd, data_bytes, scratch):
    """One run in an empty folder: the data file and three report names."""
    if os.path.exists(scratch):
        shutil.rmtree(scratch)
    os.makedirs(scratch)
    with open(os.path.join(scratch, "data.dat"), "wb") as f:
        f.write(data_bytes)
    proc = subprocess.run(cmd + ["data.dat"] + list(REPORTS), cwd=scratch,
                          capture_output=True, timeout=600)
    reports = {}
    for name in REPORTS:
        path = os.path.join(scratch, name)
        reports[name] = open(path, "rb").read() if os.path.exists(path) else None
    return proc.returncode, proc.stdout, proc.stderr, reports


SCALES = [1e300, 1e-300, -1.0, 1e150, 1e-310, 1e290, -1e250, 1e-200, 1e305, 0.0, 7.0]


def scale_variant(text, series, rng):
    """Multiplies a block of numbers (one spectrum, the standard, the
    concentrations, or a part of them) by a factor from SCALES."""
    lines = text.split("\n")
    head = lines[1].split()
    n_spec = int(float(head[1])) if series else 1
    first, last, step = (float(x) for x in head[-3:])
    points = int(round((last - first) / step)) + 1
    body_start = 3 if series else 2
    tokens = []  # (line, match) of every number after the heading lines
    for ln in range(body_start, len(lines)):
        for m in re.finditer(r"[^\s,]+", lines[ln]):
            tokens.append((ln, m))
    blocks = [(k * points, (k + 1) * points) for k in range(n_spec)]
    blocks.append((n_spec * points, (n_spec + 1) * points))  # the measured standard
    a, b = rng.choice(blocks)
    if rng.random() < 0.5:  # a part of the block
        lo = rng.randrange(a, b)
        a, b = lo, min(b, lo + rng.randrange(1, 30))
    factor = rng.choice(SCALES)
    edits = {}
    for i in range(a, min(b, len(tokens))):
        ln, m = tokens[i]
        try:
            edits.setdefault(ln, []).append((m.start(), m.end(), repr(float(m.group()) * factor)))
        except ValueError:
            pass
    if series and rng.random() < 0.3:
        ln = 2
        edits[ln] = [(m.start(), m.end(), repr(float(m.group()) * rng.choice(SCALES)))
                     for m in re.finditer(r"[^\s,]+", lines[ln])]
    for ln, subs in edits.items():
        line = lines[ln]
        for start, end, value in sorted(subs, reverse=True):
            line = line[:start] + value + line[end:]
        lines[ln] = line
    return "\n".join(lines)


def stress_variants(path, count, seed):
    """Seeded variants of one example with extreme numbers in chosen fields."""
    text = open(path, "rb").read().decode("latin-1")
    lines = text.split("\n")
    rng = random.Random(f"{seed}:{os.path.basename(path)}")
    # Field positions (line, start, end) of every number after the title line.
    fields = []
    for ln in range(1, len(lines)):
        for m in re.finditer(r"[^\s,]+", lines[ln]):
            fields.append((ln, m.start(), m.end()))
    series = os.path.basename(path).startswith("series")
    out = []
    for v in range(count):
        new = list(lines)
        # Replace up to three fields; favour the concentrations line of a
        # series (line 2) and the measured standard (the last rows).
        for _ in range(rng.choice((1, 1, 2, 3))):
            pick = rng.random()
            if series and pick < 0.25:
                cands = [f for f in fields if f[0] == 2]
            elif pick < 0.5:
                cands = fields[-120:]
            else:
                cands = [f for f in fields if f[0] >= (3 if series else 2)]
            ln, a, b = rng.choice(cands)
            value = rng.choice(EXTREMES)
            # Earlier replacements on the line shift the positions: redo the
            # scan on the current line text.
            toks = list(re.finditer(r"[^\s,]+", new[ln]))
            idx = [i for i, m in enumerate(re.finditer(r"[^\s,]+", lines[ln])) if m.start() == a]
            if not idx or idx[0] >= len(toks):
                continue
            m = toks[idx[0]]
            new[ln] = new[ln][:m.start()] + value + new[ln][m.end():]
        text_v = "\n".join(new)
        if v % 2 == 1:  # every other variant scales a block as well
            text_v = scale_variant(text_v if rng.random() < 0.3 else text, series, rng)
        out.append((f"stress/{os.path.basename(path)}#{v}", text_v.encode("latin-1"),
                    ("quenfit",) if series else ("monofit",)))
    return out


def inputs(args):
    chosen = set(args.only.split(","))
    items = []  # (label, bytes, programs)
    examples = sorted(os.path.join(ROOT, "examples", f)
                      for f in os.listdir(os.path.join(ROOT, "examples")) if f.endswith(".dat"))
    if "examples" in chosen:
        for p in examples:
            items.append(("examples/" + os.path.basename(p), open(p, "rb").read(), PROGRAMS))
    if "corpus" in chosen:
        corpus = os.path.join(ROOT, "fuzz", "corpus")
        for sub in sorted(os.listdir(corpus)):
            for f in sorted(os.listdir(os.path.join(corpus, sub))):
                p = os.path.join(corpus, sub, f)
                items.append((f"corpus/{sub}/{f}", open(p, "rb").read(), PROGRAMS))
    if "bad" in chosen and args.bad_inputs:
        for f in sorted(os.listdir(args.bad_inputs)):
            p = os.path.join(args.bad_inputs, f)
            items.append((f"bad/{f}", open(p, "rb").read(), PROGRAMS))
    if "stress" in chosen:
        for p in examples:
            items.extend(stress_variants(p, args.stress, args.seed))
    return items


def describe(old, new):
    parts = []
    if old[0] != new[0]:
        parts.append(f"status {old[0]} != {new[0]}")
    if old[1] != new[1]:
        parts.append("stdout differs")
    if old[2] != new[2]:
        parts.append(f"stderr {old[2][:160]!r} != {new[2][:160]!r}")
    for name in REPORTS:
        a, b = old[3][name], new[3][name]
        if a != b:
            if a is None or b is None:
                parts.append(f"{name} {'absent' if a is None else 'present'} != "
                             f"{'absent' if b is None else 'present'}")
            else:
                parts.append(f"{name} differs ({len(a)} / {len(b)} bytes)")
    return "; ".join(parts)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--bad-inputs", help="folder of the bad-input data files")
    parser.add_argument("--stress", type=int, default=100, help="variants per example")
    parser.add_argument("--seed", default="19")
    parser.add_argument("--only", default="examples,corpus,bad,stress")
    parser.add_argument("--keep", help="write differing inputs to this folder")
    args = parser.parse_args()

    args.old = os.path.abspath(args.old)
    args.new = os.path.abspath(args.new)
    cmds = {p: (command(args.old, p), command(args.new, p)) for p in PROGRAMS}
    items = inputs(args)
    counts = {}
    kinds = {}
    differ = 0
    with tempfile.TemporaryDirectory() as tmp:
        for label, data, programs in items:
            group = label.split("/")[0]
            for program in programs:
                old = run(cmds[program][0], data, os.path.join(tmp, "old"))
                new = run(cmds[program][1], data, os.path.join(tmp, "new"))
                key = (group, program)
                counts[key] = counts.get(key, 0) + 1
                outcome = "failure" if old[0] != 0 else ("warning" if old[2] else "clean")
                kinds[(group, outcome)] = kinds.get((group, outcome), 0) + 1
                for event in EVENTS:
                    if event.encode() in old[2]:
                        kinds[(group, "names " + event)] = kinds.get((group, "names " + event), 0) + 1
                diff = describe(old, new)
                if diff:
                    differ += 1
                    print(f"DIFFERS {program} {label}: {diff}", flush=True)
                    if args.keep:
                        os.makedirs(args.keep, exist_ok=True)
                        name = re.sub(r"[^A-Za-z0-9.#_-]", "_", label)
                        open(os.path.join(args.keep, f"{program}_{name}"), "wb").write(data)
    total = sum(counts.values())
    for (group, program), n in sorted(counts.items()):
        print(f"{group:9s} {program}: {n} runs")
    for (group, outcome), n in sorted(kinds.items()):
        print(f"{group:9s} {outcome}: {n}")
    print(f"{total - differ} of {total} runs identical (status, stdout, stderr, three reports)")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
