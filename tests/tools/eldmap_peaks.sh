#!/usr/bin/env bash
# eldmap peaks on a real difference-like map (paracetamol hydrate minus its model
# without O4, C9 and O1W, tests/data/difference/): the removed atoms come first,
# each within 0.1 A, listed once and in the copy beside the model; the real
# P 1 21/n 1 map with its symmetry; levels, the peak-list file and refused
# options.
. "$(dirname "$0")/lib.bash"
data="${ELD_TEST_DATA:?}/difference"
map="$data/paracetamol_diff.mt1"
count() { grep -vc '^#' <<<"$1"; }

# The three peaks are the removed atoms, each within 0.1 A and each once, and
# the nearest model atom of each is its hydrogen, 0.8 to 1.0 A away ("H" when
# the atoms are named by element only).
removed_first() {
  python3 - "$tmp/peaks.json" "$data/removed_atoms.txt" <<'PY'
import json, math, sys
peaks = json.load(open(sys.argv[1]))
removed = {l.split()[0]: list(map(float, l.split()[1:])) for l in open(sys.argv[2]) if l[0] != "#"}
hydrogens = {"O4": ["H4"], "C9": ["H9A", "H9B", "H9C"], "O1W": ["H1W", "H2W"]}
found = set()
for p in peaks:
    name = min(removed, key=lambda n: math.dist(p["position"], removed[n]))
    d = math.dist(p["position"], removed[name])
    print(f"  {name}: {d:.3f} A from the peak; nearest atom {p['nearest_atom']} at {p['distance']:.3f}")
    if d < 0.1 and p["nearest_atom"] in ["H"] + hydrogens[name] and 0.8 < p["distance"] < 1.0:
        found.add(name)
sys.exit(0 if len(peaks) == 3 and found == set(removed) else 1)
PY
}

# The map alone, with the model's atom names, and the CCP4 map.
for args in "$map" "$map --model $data/paracetamol_model.pdb" \
  "$data/paracetamol_diff.ccp4 --model $data/paracetamol_model.pdb"; do
  "$eldmap" peaks $args --json > "$tmp/peaks.json"
  check "$args: the three removed atoms come first, each within 0.1 A, once" removed_first
done

# The calculated map itself in P 1 21/n 1 with the asymmetric unit as model:
# its 12 atoms heavier than hydrogen, each once (not four times) and on the atom.
"$eldmap" peaks "$real/paracetamol_hydrate_dencalc.ccp4" --model "$real/paracetamol_hydrate.pdb" \
  --json > "$tmp/atoms.json"
check "symmetry copies of a site are listed once, beside the model" python3 - "$tmp/atoms.json" <<'PY'
import json, sys
peaks = json.load(open(sys.argv[1]))
names = [p["nearest_atom"] for p in peaks]
print("  " + " ".join(f"{p['nearest_atom']}:{p['distance']:.3f}" for p in peaks))
sys.exit(0 if len(peaks) == 12 and len(set(names)) == 12 and
         all(p["distance"] < 0.05 and not p["nearest_atom"].startswith("H") for p in peaks) else 1)
PY

out="$("$eldmap" peaks "$map")"
check "text: header and three peaks" test "$(count "$out")" -eq 3
check "text: rank, height, sigma, fractional, atom, distance" \
  contains "$out" "   1      21.95   64.82   1.223649   0.391984   0.203802  H     0.943"
# --min N sigma and --min V (a density value) keep the two oxygens; --max 1 the highest.
for case in "2 --min 60sigma" "2 --min 19" "1 --max 1 --min 1"; do
  check "peaks $case" test "$(count "$("$eldmap" peaks "$map" ${case#* })")" -eq "${case%% *}"
done

"$eldmap" peaks "$map" --json --max 200 -o "$tmp/newatoms.dat" > "$tmp/peaks.json"
check "-o writes the peaks' fractional coordinates as a peak-list file" \
  python3 - "$tmp/newatoms.dat" "$tmp/peaks.json" <<'PY'
import json, re, sys
text = open(sys.argv[1], newline="").read()
peaks = json.load(open(sys.argv[2]))
lines = text.split("\r\n")
ok = lines[-1] == "" and len(lines) == len(peaks) + 1
for n, (line, p) in enumerate(zip(lines, peaks), 1):
    m = re.fullmatch(r"ATOM Q  %d   X=(.*) Y=(.*) Z=(.*) " % n, line)
    ok = ok and m and all(abs(float(v) - f) < 2e-6 for v, f in zip(m.groups(), p["fractional"]))
sys.exit(0 if ok else 1)
PY

expect_exits <<TABLE
2|peaks "$map" --min lots|--min takes a density value or Nsigma, not 'lots'
2|peaks "$map" --max 201 -o "$tmp/x.dat"|at most 200 peaks
2|peaks|no map given
TABLE
finish
