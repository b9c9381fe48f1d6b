#!/usr/bin/python3
"""Checks that every program and Python module the test scripts use comes from
a Debian package that `tools/install_deps.sh test` installs (or from one that
every Debian system has), so that ./test.sh passes on a fresh machine and not
only on one where something was installed by hand.

Reads test.sh and the scripts under tests/ (not tests/fuzz, which has its own
group): the commands of the shell scripts (parsed by shfmt), the Python code
they run (heredocs, -c, .py files) and its imports. Each program is looked up
in the system folders and each module with this interpreter (Debian's), and
the owning package must be in the dependency closure of the build and test
groups, or be essential or required.

    /usr/bin/python3 tools/check_test_deps.py [--list]

--list prints every use with its package. Exit status 1 when anything is
missing, with one line per problem.
"""
import ast
import importlib
import json
import os
import re
import shutil
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SYSTEM_PATH = "/usr/sbin:/usr/bin:/sbin:/bin"
# Commands that run the command given after them (with options or a duration first).
WRAPPERS = {"exec", "command", "timeout", "env", "nice", "xargs", "time"}


def groups():
    text = open(os.path.join(ROOT, "tools/install_deps.sh")).read()
    found = {}
    for name in ("build", "test"):
        m = re.search(r"^%s=\(([^)]*)\)" % name, text, re.M)
        if not m:
            sys.exit("check_test_deps: no %s=(...) list in tools/install_deps.sh" % name)
        found[name] = m.group(1).split()
    return found["build"] + found["test"]


def closure(packages):
    out = subprocess.run(
        ["apt-cache", "depends", "--recurse", "--no-recommends", "--no-suggests",
         "--no-conflicts", "--no-breaks", "--no-replaces", "--no-enhances"] + packages,
        capture_output=True, text=True, check=True).stdout
    return {line.split(":")[0] for line in out.splitlines() if line and not line[0].isspace()}


def always_there(packages):
    """The packages of these that every Debian system has: essential or required."""
    out = subprocess.run(["dpkg-query", "-W", "-f=${Package} ${Essential} ${Priority}\\n"]
                         + sorted(packages), capture_output=True, text=True).stdout
    return {f[0] for f in (line.split() for line in out.splitlines())
            if len(f) >= 2 and (f[1] == "yes" or f[-1] == "required")}


def owners(paths):
    """The Debian package that installed each path (None when none did). With
    merged /usr a file may be listed under /bin rather than /usr/bin, and an
    alternatives link only under its target."""
    variants = {}
    for p in paths:
        v = [p, os.path.realpath(p)]
        v += [x[4:] for x in v if x.startswith("/usr/")] + ["/usr" + x for x in v if not x.startswith("/usr/")]
        variants[p] = v
    out = subprocess.run(["dpkg-query", "-S"] + sorted({x for v in variants.values() for x in v}),
                         capture_output=True, text=True).stdout
    by_path = {}
    for line in out.splitlines():
        pkgs, _, path = line.partition(": ")
        by_path[path] = pkgs.split(",")[0].split(":")[0].strip()
    return {p: next((by_path[x] for x in v if x in by_path), None) for p, v in variants.items()}


def word_text(word, variables):
    """The text of a shell word when it is known before running (literals,
    quotes, and variables assigned a literal in the same file)."""
    parts = []
    for p in (word or {}).get("Parts", []):
        t = p.get("Type")
        if t in ("Lit", "SglQuoted"):
            parts.append(p.get("Value", ""))
        elif t == "DblQuoted":
            inner = word_text(p, variables)
            if inner is None:
                return None
            parts.append(inner)
        elif t == "ParamExp" and not p.get("Exp") and p["Param"]["Value"] in variables:
            parts.append(variables[p["Param"]["Value"]])
        elif t == "ParamExp":
            parts.append("${%s}" % p["Param"]["Value"])
        else:
            return None
    return "".join(parts)


def walk(node):
    if isinstance(node, dict):
        yield node
        for v in node.values():
            yield from walk(v)
    elif isinstance(node, list):
        for v in node:
            yield from walk(v)


def is_python(cmd):
    return cmd is not None and re.fullmatch(r"(.*/)?python3?(\.\d+)?", cmd) is not None


def scan_shell(path, uses, functions):
    tree = json.loads(subprocess.run(["shfmt", "--to-json"], stdin=open(path),
                                     capture_output=True, text=True, check=True).stdout)
    variables = {}
    for n in walk(tree):
        if n.get("Type") == "FuncDecl":
            functions.add(n["Name"]["Value"])
        for a in n.get("Assigns", []) if n.get("Type") == "CallExpr" else []:
            v = word_text(a.get("Value"), {})
            if v is not None and "$" not in v:
                variables[a["Name"]["Value"]] = v
    for stmt in walk(tree):
        cmd = stmt.get("Cmd")
        if not isinstance(cmd, dict) or cmd.get("Type") != "CallExpr":
            continue
        args = [word_text(w, variables) for w in cmd.get("Args", [])]
        i = 0
        while i < len(args):
            name = args[i]
            if name is None or "$" in name:
                break
            uses.append(("command", name, path, None))
            if name not in WRAPPERS:
                break
            i += 1
            # Options, a duration (timeout) or VAR=value (env) come before the command.
            while i < len(args) and args[i] is not None and (
                    args[i].startswith("-") or re.fullmatch(r"[\d.]+[smhd]?", args[i])
                    or "=" in args[i]):
                i += 1
        first = next((a for a in args if a not in WRAPPERS), None)
        if not is_python(first):
            continue
        # The python3 first on PATH may be another interpreter without Debian's modules.
        interp = first if first.startswith("/usr/bin/") else "python3 from PATH"
        for k, a in enumerate(args):
            if a == "-c" and k + 1 < len(args) and args[k + 1] is not None:
                scan_python_code(args[k + 1], path, uses, interp)
            elif a and a.endswith(".py"):
                script = find_repo_file(os.path.basename(a))
                if script:
                    uses.append(("python script", script, path, interp))
        for r in stmt.get("Redirs") or []:
            if r.get("Hdoc"):
                scan_python_code(word_text(r["Hdoc"], {}) or "", path, uses, interp)


def find_repo_file(name):
    for folder, dirs, files in os.walk(ROOT):
        dirs[:] = [d for d in dirs if not d.startswith((".", "build"))]
        if name in files:
            return os.path.join(folder, name)
    return None


def scan_python_code(code, path, uses, interp):
    try:
        tree = ast.parse(code)
    except SyntaxError:
        uses.append(("unparsed python", code.splitlines()[0] if code else "", path, interp))
        return
    for n in ast.walk(tree):
        if isinstance(n, ast.Import):
            names = [a.name for a in n.names]
        elif isinstance(n, ast.ImportFrom) and n.level == 0:
            names = [n.module]
        else:
            continue
        for name in names:
            uses.append(("module", name.split(".")[0], path, interp))


def module_origin(name, importer):
    """'(stdlib)', the module's file (ours or installed), or None when not installed."""
    here = os.path.dirname(importer)
    for folder in (here, os.path.join(ROOT, "tests/tools"), os.path.join(ROOT, "tools")):
        if os.path.exists(os.path.join(folder, name + ".py")):
            return os.path.join(folder, name + ".py")
    if name in sys.builtin_module_names:
        return "(stdlib)"
    try:
        module = importlib.import_module(name)
    except ImportError:
        return None
    # A namespace package has folders but no file; a module built into the
    # interpreter has neither.
    origin = getattr(module, "__file__", None) or next(iter(getattr(module, "__path__", [])), None)
    return origin or "(stdlib)"


def command_origin(name, builtins):
    """'(shell)', '(local)', the program's file, or None when not installed."""
    if name in builtins:
        return "(shell)"
    if "/" in name and not name.startswith("/"):
        return "(local)" if os.path.exists(os.path.join(ROOT, name)) else None
    path = name if name.startswith("/") else shutil.which(name, path=SYSTEM_PATH)
    return path if path and os.path.exists(path) else None


def main():
    listing = "--list" in sys.argv
    allowed = closure(groups())
    # The scripts CTest runs and what they source; Python files are read when
    # a script runs or imports them.
    scripts = [os.path.join(ROOT, "test.sh")]
    for folder, dirs, files in os.walk(os.path.join(ROOT, "tests")):
        dirs[:] = [d for d in dirs if d != "fuzz"]
        scripts += [os.path.join(folder, f) for f in sorted(files) if f.endswith((".sh", ".bash"))]
    uses, functions = [], set()
    for s in scripts:
        scan_shell(s, uses, functions)
    builtins = set(subprocess.run(["bash", "-c", "compgen -b; compgen -k"], capture_output=True,
                                  text=True).stdout.split()) | functions
    found, problems, done = {}, [], set()
    k = 0
    while k < len(uses):
        kind, name, where, interp = uses[k]
        k += 1
        if kind == "module":
            origin = module_origin(name, where)
            if origin and origin.startswith(ROOT + "/"):
                kind, name = "python script", origin
        if kind == "python script":
            if (name, interp) not in done:
                done.add((name, interp))
                scan_python_code(open(name).read(), name, uses, interp)
        elif kind == "unparsed python":
            problems.append("%s: Python code that does not parse: %s" % (where, name))
        elif (kind, name, interp) not in found:
            origin = module_origin(name, where) if kind == "module" else command_origin(name, builtins)
            found[kind, name, interp] = (origin, where)
    package_of = owners([o for o, _ in found.values() if o and not o.startswith("(")])
    base = always_there({p for p in package_of.values() if p})
    rows = []
    for (kind, name, interp), (origin, where) in found.items():
        pkg = package_of.get(origin, origin)
        if pkg == "(shell)":
            continue
        rows.append((kind, name, pkg, where))
        what = "%s: %s %s" % (os.path.relpath(where, ROOT), kind, name)
        if pkg is None:
            problems.append("%s is not installed from a Debian package here" % what)
        elif not pkg.startswith("(") and pkg not in allowed and pkg not in base:
            problems.append("%s comes from %s, which the test group does not install" % (what, pkg))
        elif interp == "python3 from PATH" and not pkg.startswith(("(", "libpython3")):
            problems.append("%s (from %s) is run with the python3 first on PATH, which may "
                            "lack it: call /usr/bin/python3" % (what, pkg))
    if listing:
        for kind, name, pkg, where in rows:
            print("%-8s %-24s %-22s %s" % (kind, name, pkg, os.path.relpath(where, ROOT)))
    for p in problems:
        print("check_test_deps: " + p)
    print("check_test_deps: %d programs and modules in %d scripts, %d problems"
          % (len(rows), len(scripts), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
