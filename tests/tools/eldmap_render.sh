#!/usr/bin/env bash
# eldmap render: offscreen pictures read back by ImageMagick. Checks the TGA
# header bytes, the picture size, the orientation (which quadrant the unit cell
# lands in), the colours of known objects, that PNG and TGA hold the same
# pixels, and that failed writes leave an existing picture alone.
. "$(dirname "$0")/lib.bash"
set -e

$py "$here/mt1_grid.py" blob "$tmp/blob.fou"

# Default size is the viewer's start window, 564 x 494.
"$bin/eldmap" render "$tmp/blob.fou" -o "$tmp/a.tga"
[ "$(identify -format '%m %w %h' "$tmp/a.tga")" = "TGA 564 494" ] || fail "size of a.tga"
header="$(od -An -tu1 -N18 "$tmp/a.tga" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')"
[ "$header" = "0 0 2 0 0 0 0 24 0 0 0 0 52 2 238 1 24 0" ] || fail "TGA header: $header"
[ "$(stat -c %s "$tmp/a.tga")" -eq $((18 + 564 * 494 * 3)) ] || fail "TGA file size"

# ImageMagick keeps a TGA's rows in file order and records the origin as the
# "BottomLeft" orientation; -auto-orient turns it upright.
[ "$(identify -format '%[orientation]' "$tmp/a.tga")" = "BottomLeft" ] || fail "TGA origin"

for xy in "0 0" "563 493"; do [ "$(pixel $xy "$tmp/a.tga")" = "0 0 0" ] || fail "corner $xy is not black"; done
# Layer 1 (0.1, 0.7, 0.1) surface lines are there.
n=$(count_where "$tmp/a.tga" 564x494+0+0 'g>=170 && g<=185 && r<=30 && b<=30')
[ "$n" -gt 200 ] || fail "only $n pixels of layer 1's green"
# The O atom (bright red, lit; layer 3's lines are at most 178 red) at x = 1.2 lies right of the centre, the C atom at the
# centre is grey: red pixels must be right of the middle column only.
right=$(count_where "$tmp/a.tga" 60x30+300+232 'r>200 && g<90 && b<90')
left=$(count_where "$tmp/a.tga" 60x30+204+232 'r>200 && g<90 && b<90')
[ "$right" -gt 10 ] && [ "$left" -eq 0 ] || fail "O atom: $right red pixels right, $left left"

# The unit cell (grey 0.5) spans 0..1 on every axis: upper right quadrant on
# screen. Nothing else in the picture is that neutral grey.
"$bin/eldmap" render "$tmp/blob.fou" -o "$tmp/cell.tga" --cell --no-atoms --no-contour
grey='r>=120 && r<=136 && g==r && b==r'
ur=$(count_where "$tmp/cell.tga" 70x70+284+175 "$grey")
ll=$(count_where "$tmp/cell.tga" 70x70+210+249 "$grey")
[ "$ur" -gt 20 ] && [ "$ll" -eq 0 ] || fail "cell: $ur grey pixels upper right, $ll lower left"

# PNG holds the same pixels as the TGA; odd sizes work.
for e in png:x tga:X; do "$bin/eldmap" render "$tmp/blob.fou" -o "$tmp/b.${e%:*}" --size 201x97 --view "${e#*:}" --style triangle; done
"$bin/eldmap" render "$tmp/blob.fou" -o "$tmp/web.png" --size 201x97 --view x
cmp -s "$tmp/b.png" "$tmp/web.png" && fail "--style triangle draws the web"
[ "$(identify -format '%m %w %h' "$tmp/b.png")" = "PNG 201 97" ] || fail "size of b.png"
convert "$tmp/b.tga" -auto-orient "$tmp/b_tga.png"
diff_px=$(compare -metric AE "$tmp/b.png" "$tmp/b_tga.png" null: 2>&1 || true)
[ "$diff_px" = "0" ] || fail "PNG and TGA differ in $diff_px pixels"

# A write stopped part way by a file-size limit (a missing folder and a full
# device: no_lost_files.sh).
cp "$tmp/a.tga" "$tmp/keep.tga"
(trap '' XFSZ; ulimit -f 100; "$bin/eldmap" render "$tmp/blob.fou" -o "$tmp/keep.tga" --size 300x300) \
  2>/dev/null && fail "write beyond the file-size limit accepted"
cmp -s "$tmp/a.tga" "$tmp/keep.tga" || fail "failed write changed the old picture"
[ -z "$(find "$tmp" -name '.keep.tga.tmp-*')" ] || fail "temporary file left behind"

# Bad options are refused with a hint.
expect_exits <<TABLE
2|render "$tmp/blob.fou" -o "$tmp/c.tga" --size 0x5|564x494) (see eldmap render --help)
2|render "$tmp/blob.fou"|-o
TABLE
"$bin/eldmap" render --help | grep -q -- '--style' || fail "help lacks --style"
finish
