#!/usr/bin/env python3
"""Mutation testing: plants one single-line fault at a time in the product code, rebuilds, and
runs the tests; a fault that no test notices is a survivor.

Usage, from the project root:
  python3 scripts/mutants.py [--dirs game render store app] [--max N] [--seed S]
                             [--build DIR] [--full] [--out FILE.md|FILE.json]

The candidates depend only on the code under --dirs, and the same seed always picks the same
ones (a smaller --max picks a prefix of a larger one), so runs before and after a change to the
tests judge the same faults; an interrupted run reports those judged so far. Each fault is built, then judged by the unit-test executables
(fast stage) and, if those pass, by every other test except the labels long and package.
--full runs both stages for every fault and records which tests failed, then names the tests
that alone catch some fault and those that never catch anything alone.
"""
import argparse, json, os, random, re, shutil, signal, subprocess, sys, time
from pathlib import Path

CMP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
KEYWORDS = ("return", "break", "continue", "using", "typedef", "case", "default", "goto")
STMT = re.compile(r"(\+\+|--)?[A-Za-z_][\w.:\->\[\]()*]*\s*(\(|=(?!=)|[-+*/|&^]=|<<=|>>=|\+\+|--)")


def mask(text):
    """The text with comments and string/char literals blanked, keeping every position."""
    out, i, n = list(text), 0, len(text)
    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "
    while i < n:
        if text.startswith("//", i):
            j = text.find("\n", i); j = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2); j = n if j < 0 else j + 2
        elif (m := re.match(r'R"([^(\s]*)\(', text[i:i + 20])) and not re.match(r"\w", text[i - 1:i]):
            j = text.find(")" + m.group(1) + '"', i); j = n if j < 0 else j + len(m.group(1)) + 2
        elif text[i] in "\"'" and not (text[i] == "'" and re.match(r"\w", text[i - 1:i])):
            j = i + 1
            while j < n and text[j] != text[i] and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j += 1
        else:
            i += 1
            continue
        blank(i, j)
        i = j
    return "".join(out)


def candidates(files):
    """Every single-line fault: (file, line, description of operator, original, mutated)."""
    found = []
    for path in files:
        text = path.read_text()
        orig, masked = text.split("\n"), mask(text).split("\n")
        prev = ""
        for no, (o, m) in enumerate(zip(orig, masked), 1):
            code = m.strip()
            if not code or code.startswith("#"):
                continue
            def sub(a, b, new, op):
                found.append((str(path), no, op, o, o[:a] + new + o[b:]))
            for x in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", m):
                sub(x.start(), x.end(), CMP[x.group()], "comparison")
            for x in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", m):
                sub(x.start(), x.end(), "||" if x.group() == "&&" else "&&", "logic")
            for x in re.finditer(r"(?<![\w.'])\d+(?![\w.'])", m):
                v = int(x.group())
                sub(x.start(), x.end(), str(v + 1), "literal+1")
                if v:
                    sub(x.start(), x.end(), str(v - 1), "literal-1")
            for x in re.finditer(r"\b(true|false)\b", m):
                sub(x.start(), x.end(), "false" if x.group() == "true" else "true", "boolean")
            for x in re.finditer(r"\b(if|while)\s*\(", m):
                depth, k = 0, x.end() - 1
                for k in range(x.end() - 1, len(m)):
                    depth += {"(": 1, ")": -1}.get(m[k], 0)
                    if depth == 0:
                        break
                if depth == 0:
                    found.append((str(path), no, "negation", o,
                                  o[:x.end()] + "!(" + o[x.end():k] + ")" + o[k:]))
            header_member = path.suffix == ".h" and len(m) - len(m.lstrip()) <= 4
            if (code.endswith(";") and STMT.match(code) and not header_member
                    and code.split("(")[0].split()[0] not in KEYWORDS
                    and code.count("(") == code.count(")") and prev[-1:] in ("", ";", "{", "}")):
                found.append((str(path), no, "deletion", o, o[:len(o) - len(o.lstrip())]))
            prev = code
    return found


def run(cmd, timeout):
    """(exit code or None on timeout, output); a timeout ends the whole process group."""
    p = subprocess.Popen(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                         start_new_session=True)
    try:
        out = p.communicate(timeout=timeout)[0]
        return p.returncode, out
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, signal.SIGKILL)
        return None, p.communicate()[0]
    except KeyboardInterrupt:
        os.killpg(p.pid, signal.SIGKILL)
        raise


def compile(build):
    return run(["cmake", "--build", build, "-j2"], 1800)[0] == 0


def interrupt(*_):
    raise KeyboardInterrupt


class Judge:
    def __init__(self, build, fast_timeout):
        self.build = build
        shown = json.loads(run(["ctest", "--test-dir", build, "--show-only=json-v1"], 300)[1])
        self.names = [t["name"] for t in shown["tests"] if not {"long", "package"} & set(
            next((p["value"] for p in t.get("properties", []) if p["name"] == "LABELS"), []))]
        unit = [t["name"] for t in shown["tests"]
                if any(str(a).startswith("--gtest_filter") for a in t.get("command", []))]
        names = "|".join(re.sub(r"([][.*+?^$()|\\])", r"\\\1", n) for n in unit)
        base = ["ctest", "--test-dir", build, "-j2", "--no-tests=error", "-LE", "long|package"]
        self.stages = [("fast", base + ["-R", f"^({names})$", "--timeout", str(fast_timeout)],
                        fast_timeout * 10),
                       ("rest", base + ["-E", f"^({names})$", "--timeout", "300"], 1800)]

    def tests(self, full):
        """The names of the failed tests, stage by stage, stopping at the first failing stage
        unless full."""
        failed = []
        for stage, cmd, limit in self.stages:
            code, out = run(cmd, limit)
            if code is None:
                failed.append(f"{stage} stage (timeout)")
            elif code:
                tail = out.split("The following tests FAILED:")[-1]
                names = re.findall(r"^\s*\d+ - (.+?) \((.+)\)$", tail, re.M)
                failed += [f"{n} ({why})" if why != "Failed" else n for n, why in names] or \
                          [f"{stage} stage (exit {code})"]
            if failed and not full:
                break
        return failed


def judge_all(args, picked, judge):
    results = []
    try:
        judge_each(args, picked, judge, results)
    except KeyboardInterrupt:
        print(f"interrupted; the source is restored; reporting the {len(results)} judged", flush=True)
    return results


def judge_each(args, picked, judge, results):
    for i, (path, no, op, before, after) in enumerate(picked, 1):
        start, source = time.time(), Path(path).read_text()
        lines = source.split("\n")
        lines[no - 1] = after
        try:
            Path(path).write_text("\n".join(lines))
            built = compile(judge.build)
            failed = judge.tests(args.full) if built else []
        finally:
            Path(path).write_text(source)
        verdict = "did not build" if not built else "caught" if failed else "survived"
        results.append(dict(file=path, line=no, op=op, before=before.strip(), after=after.strip(),
                            verdict=verdict, failed=failed, seconds=round(time.time() - start)))
        print(f"[{i}/{len(picked)}] {path}:{no} {op}: {verdict} "
              f"({results[-1]['seconds']} s) {', '.join(failed)}", flush=True)


def report(args, results, picked, total_candidates, seconds, names):
    results = sorted(results, key=lambda r: (r["file"], r["line"], r["op"], r["after"]))
    built = [r for r in results if r["verdict"] != "did not build"]
    caught = [r for r in built if r["verdict"] == "caught"]
    commit = run(["git", "rev-parse", "--short", "HEAD"], 30)[1].strip()
    lines = [f"# Mutation testing: {len(caught)} caught / {len(built)} built / {len(results)} judged",
             "", f"Command: `python3 scripts/mutants.py {' '.join(sys.argv[1:])}`  ",
             f"Commit {commit}, {total_candidates} candidate faults in {' '.join(args.dirs)}, "
             f"{seconds / 60:.0f} min, {seconds / max(len(results), 1):.0f} s a fault."
             + (f" Stopped after {len(results)} of {len(picked)}." if len(results) < len(picked) else ""),
             "",
             "## Survivors", ""]
    fmt = lambda r: f"- {r['file']}:{r['line']} ({r['op']}): `{r['before']}` → `{r['after']}`"
    lines += [fmt(r) for r in built if r["verdict"] == "survived"] or ["None."]
    lines += ["", "## Did not build", ""]
    lines += [fmt(r) for r in results if r["verdict"] == "did not build"] or ["None."]
    lines += ["", "## Caught", ""]
    lines += [fmt(r) + (f": {', '.join(r['failed'])}" if args.full else "") for r in caught]
    if args.full:
        alone, anywhere = {}, {}
        for r in caught:
            tests = {re.sub(r" \(.*\)$", "", t) for t in r["failed"]}
            for t in tests:
                anywhere[t] = anywhere.get(t, 0) + 1
            if len(tests) == 1:
                alone.setdefault(tests.pop(), []).append(f"{r['file']}:{r['line']}")
        lines += ["", "## Tests that alone catch some fault", ""]
        lines += [f"- {t}: {', '.join(f)}" for t, f in sorted(alone.items())] or ["None."]
        lines += ["", "## Tests that never catch a fault alone (faults caught with others)", ""]
        lines += [f"- {t}: {n}" for t, n in sorted(anywhere.items()) if t not in alone] or ["None."]
        lines += ["", "## Tests that caught none of these faults", ""]
        lines += [", ".join(t for t in names if t not in anywhere) or "None."]
    text = "\n".join(lines) + "\n"
    if args.out:
        Path(args.out).parent.mkdir(parents=True, exist_ok=True)
        Path(args.out).write_text(json.dumps(dict(command=sys.argv, commit=commit,
            candidates=total_candidates, seconds=round(seconds), results=results), indent=1)
            if args.out.endswith(".json") else text)
    print(text)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawTextHelpFormatter)
    ap.add_argument("--dirs", nargs="+", default=["game", "render", "store", "app"])
    ap.add_argument("--max", type=int, default=30)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--build", default="build-mutants")
    ap.add_argument("--full", action="store_true")
    ap.add_argument("--out")
    ap.add_argument("--fast-timeout", type=int, default=60, help="seconds for one unit test")
    ap.add_argument("--skip-clean", action="store_true",
                    help="trust that the unchanged code passes (checked on this build already)")
    ap.add_argument("--list", action="store_true", help="only print the picked faults")
    args = ap.parse_args()
    files = sorted(p for d in args.dirs for p in Path(d).rglob("*") if p.suffix in (".cpp", ".h"))
    found = sorted(candidates(files), key=lambda c: (c[0], c[1], c[2], c[4]))
    picked = list(found)
    random.Random(args.seed).shuffle(picked)
    # Judged in the drawn order, so a run stopped after K faults judged those of --max K.
    picked = picked[:args.max]
    if args.list:
        for path, no, op, before, after in sorted(picked):
            print(f"{path}:{no} {op}: {before.strip()}  →  {after.strip()}")
        return
    signal.signal(signal.SIGTERM, interrupt)
    try:
        measure(args, found, picked)
    except KeyboardInterrupt:
        sys.exit("interrupted; the source is restored")


def measure(args, found, picked):
    subprocess.run(["cmake", "-S", ".", "-B", args.build, "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DTUMBLEGEM_BENCH=OFF"]
                   + (["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []),
                   check=True, stdout=subprocess.DEVNULL)
    start = time.time()
    if not compile(args.build):
        sys.exit("the unchanged code must build first")
    judge = Judge(args.build, args.fast_timeout)
    if not args.skip_clean and (failed := judge.tests(True)):
        sys.exit(f"the unchanged code must pass first; failed: {', '.join(failed)}")
    print(f"clean run: {time.time() - start:.0f} s; {len(found)} candidates, judging {len(picked)}",
          flush=True)
    start = time.time()
    results = judge_all(args, picked, judge)
    report(args, results, picked, len(found), time.time() - start, judge.names)


if __name__ == "__main__":
    main()
