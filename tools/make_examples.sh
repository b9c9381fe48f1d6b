#!/usr/bin/env bash
# Makes the bundled example maps in data/examples/ from the real data kept in
# tools/realdata/ (see data/examples/README.txt for where those came from):
#   benzene.mt1/.fou/.grd              the psi4 density of benzene (cube file)
#   paracetamol_hydrate.mt1/.fou/.grd  a calculated crystal map (CCP4, monoclinic
#                                      cell, so it is resampled) with its model
#
#   tools/make_examples.sh [ELDMAP]    (default: build/bin/eldmap, built if missing)
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
eldmap="${1:-$here/build/bin/eldmap}"
if [ ! -x "$eldmap" ]; then
  cmake -S "$here" -B "$here/build" -G Ninja -DELD_BUILD_TESTS=OFF -DELD_BUILD_BENCH=OFF >/dev/null
  cmake --build "$here/build" --target eldmap
fi
src="$here/tools/realdata"
out="$here/data/examples"
mkdir -p "$out"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

# The cube file is kept compressed (3.9 MB of text, 0.26 MB as .xz). Its values
# are electrons per cubic bohr; 1/0.529177210903^3 = 6.748334 turns them into
# electrons per cubic Angstrom, the unit of the layer-limit presets. The density
# is all-electron and reaches 633 e/A^3 at the carbon nuclei; cut at 10 e/A^3,
# the viewer's default layers (1, 3 and 5 e/A^3) show the bonded molecule, the
# atoms and the carbon atoms.
xz -dc "$src/benzene_psi4_density.cube.xz" > "$tmp/benzene_psi4_density.cube"
for ext in mt1 fou grd; do
  "$eldmap" convert "$tmp/benzene_psi4_density.cube" "$out/benzene.$ext" --scale 6.748334 --cap 10
done

# The model of the crystal map, from the atoms listed in its JSON note.
if [ ! -f "$src/paracetamol_hydrate.pdb" ]; then
  python3 "$src/json_to_pdb.py" "$src/paracetamol_hydrate_dencalc.json" > "$src/paracetamol_hydrate.pdb"
fi
for ext in mt1 fou grd; do
  "$eldmap" convert "$src/paracetamol_hydrate_dencalc.ccp4" "$out/paracetamol_hydrate.$ext" \
    --model "$src/paracetamol_hydrate.pdb" --box atoms:3 --centre
done
ls -l "$out"
