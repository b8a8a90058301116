#!/usr/bin/env bash
# How many small faults does the test suite catch?
#
# Picks a fixed, seeded sample of one-line mutations of the product code
# (flipped comparisons and logic, off-by-one numbers, dropped statements,
# changed literals) in every subsystem, and for each one: applies it,
# rebuilds, runs the suite, puts the file back. A mutant is caught when the
# suite fails (or times out); one that does not build is not counted.
# The same seed and the same product code give the same list, so the figure
# can be compared before and after a change to the tests.
#
#   scripts/mutation-sample.sh [--seed N] [--per-folder N] [--build DIR] [--list]
#
# Defaults: seed 1, 3 mutants per folder, build folder build/mutation (a
# plain debug build: no sanitizers, so each mutant builds and runs fast).
# Tests labelled interop or e2e are left out: they need outside programs and
# they guard nothing the others do not.
set -euo pipefail
cd "$(dirname "$0")/.."

seed=1
per_folder=3
build=build/mutation
list_only=0
while [ $# -gt 0 ]; do
    case "$1" in
    --seed) seed="$2"; shift 2 ;;
    --per-folder) per_folder="$2"; shift 2 ;;
    --build) build="$2"; shift 2 ;;
    --list) list_only=1; shift ;;
    -h | --help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
    esac
done

# Mutants are written into the working tree: it must hold no changes of
# its own there, so that what is put back is what was there.
if [ "$list_only" = 0 ] && ! git diff --quiet -- src tools; then
    echo "src/ or tools/ has uncommitted changes: commit or stash them first" >&2
    exit 2
fi

exec python3 - "$seed" "$per_folder" "$build" "$list_only" <<'PYTHON'
import os, random, re, shutil, signal, subprocess, sys, time

# Stopped from outside, the file under mutation is still put back.
for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
    signal.signal(s, lambda *_: sys.exit(130))

seed, per_folder, build, list_only = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3], sys.argv[4] == "1"

FOLDERS = ["src/model", "src/config", "src/link", "src/transfer", "src/transfer/deflate", "src/broadcast",
           "src/keying", "src/ui", "tools/modem-sim"]

# (kind, pattern, replacement): each applies to one occurrence on one line.
OPERATORS = [
    ("flip comparison", r"==", "!="),
    ("flip comparison", r"!=", "=="),
    ("flip comparison", r" <= ", " < "),
    ("flip comparison", r" >= ", " > "),
    ("flip comparison", r" < ", " <= "),
    ("flip comparison", r" > ", " >= "),
    ("flip logic", r"&&", "||"),
    ("flip logic", r"\|\|", "&&"),
    ("flip literal", r"\btrue\b", "false"),
    ("flip literal", r"\bfalse\b", "true"),
    ("off by one", r"(?<![\w.])([1-9][0-9]*)(?![\w.])", None),
    ("changed literal", r'"([^"\\]+)"', None),
]

def code_lines(path):
    """Lines that are code: no comments, preprocessor lines or asserts."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    out, in_block = [], False
    for i, line in enumerate(lines):
        s = line.strip()
        if in_block:
            if "*/" in s:
                in_block = False
            continue
        if s.startswith("/*"):
            in_block = "*/" not in s
            continue
        if not s or s.startswith("//") or s.startswith("#") or "static_assert" in s \
                or s.startswith("Q_") or "qDebug" in s:
            continue
        out.append((i, line.split("//")[0]))
    return lines, out

def candidates():
    by_folder = {}
    for folder in FOLDERS:
        sites = []
        for name in sorted(os.listdir(folder)):
            path = os.path.join(folder, name)
            if not name.endswith(".cpp") or name == "main.cpp":
                continue
            _, code = code_lines(path)
            for i, text in code:
                for kind, pattern, _ in OPERATORS:
                    for m in re.finditer(pattern, text):
                        sites.append((path, i, kind, pattern, m.start()))
                s = text.strip()
                # A whole statement that can go without breaking the build.
                if s.endswith(";") and not s.startswith(("return", "break", "continue", "case",
                                                          "default", "}", "using", "const ",
                                                          "auto ", "QString ", "int ", "bool ")) \
                        and "(" in s and s.count("(") == s.count(")") and "=" not in s.split("(")[0]:
                    sites.append((path, i, "dropped statement", None, 0))
        by_folder[folder] = sites
    return by_folder

def mutate(line, kind, pattern, at):
    if kind == "dropped statement":
        return re.sub(r"\S.*$", ";", line, count=1)
    for k, p, repl in OPERATORS:
        if k == kind and p == pattern:
            m = re.compile(p).search(line, at)
            if not m or m.start() != at:
                return None
            if kind == "off by one":
                new = str(int(m.group(1)) + 1)
            elif kind == "changed literal":
                new = '"' + m.group(1) + 'x"'
            else:
                new = repl
            return line[:m.start()] + new + line[m.end():]
    return None

rng = random.Random(seed)
sample = []
for folder, sites in candidates().items():
    picked = rng.sample(sites, min(per_folder, len(sites)))
    sample.extend(sorted(picked))

def describe(site):
    path, i, kind, _, _ = site
    return f"{path}:{i + 1}: {kind}"

if list_only:
    for site in sample:
        path, i, kind, pattern, at = site
        with open(path, encoding="utf-8") as f:
            before = f.read().split("\n")[i]
        print(describe(site))
        print("   -", before.strip())
        print("   +", (mutate(before, kind, pattern, at) or "?").strip())
    sys.exit(0)

def run(cmd, timeout=None):
    return subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          timeout=timeout).returncode

if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
    gen = ["-G", "Ninja"] if shutil.which("ninja") else []
    subprocess.run(["cmake", "-S", ".", "-B", build, *gen, "-DCMAKE_BUILD_TYPE=Debug",
                    "-DKOLT_SANITIZE=OFF", "-DKOLT_WERROR=OFF", "-DKOLT_BUILD_BENCH=OFF"],
                   check=True, stdout=subprocess.DEVNULL)
jobs = str(os.cpu_count() or 2)
print(f"building the unmutated code in {build} ...", flush=True)
if run(["cmake", "--build", build, "-j", jobs]) != 0:
    sys.exit("the unmutated code does not build")
ctest = ["ctest", "--test-dir", build, "-j", jobs, "--timeout", "120", "-LE", "interop|e2e",
         "--stop-on-failure"]
if run(ctest) != 0:
    sys.exit("the suite fails on the unmutated code: fix that first")

caught = survived = not_viable = 0
started = time.time()
for n, site in enumerate(sample, 1):
    path, i, kind, pattern, at = site
    with open(path, encoding="utf-8") as f:
        original = f.read()
    lines = original.split("\n")
    mutated = mutate(lines[i], kind, pattern, at)
    if mutated is None or mutated == lines[i]:
        not_viable += 1
        continue
    lines[i] = mutated
    try:
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        if run(["cmake", "--build", build, "-j", jobs]) != 0:
            verdict = "does not build"
            not_viable += 1
        else:
            try:
                failed = run(ctest, timeout=1800) != 0
            except subprocess.TimeoutExpired:
                failed = True
            verdict = "caught" if failed else "SURVIVED"
            caught += failed
            survived += not failed
    finally:
        with open(path, "w", encoding="utf-8") as f:
            f.write(original)
    print(f"[{n}/{len(sample)}] {verdict:14} {describe(site)}  ({mutated.strip()})", flush=True)

run(["cmake", "--build", build, "-j", jobs])  # leave the build as the code is
viable = caught + survived
print(f"\nseed {seed}: caught {caught} of {viable} mutants that build "
      f"({not_viable} did not build), {time.time() - started:.0f} s")
PYTHON
