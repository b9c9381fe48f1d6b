#!/usr/bin/env bash
# Every file eldmap writes is written whole or not at all: each writer is run
# against a read-only folder, a full disk (a tiny tmpfs), a device that reports
# "no space" and a missing folder, and must fail naming the file, keep the old
# file byte for byte and leave no temporary file. What needs root is skipped.
. "$(dirname "$0")/lib.bash"
mounts=()
trap 'for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done; chmod -R u+w "$tmp" 2>/dev/null; rm -rf "$tmp"' EXIT
only_old_file() { [ "$(ls -A "$1")" = "$2" ]; }  # DIR NAME: the folder holds that file alone

# Inputs: a small map with two density blobs, and a Gaussian cube of 20^3 points.
$py "$here/mt1_grid.py" blob "$tmp/blob.fou"
{
  printf 'no lost files\ndensity\n    1 0.0 0.0 0.0\n   20 0.3 0 0\n   20 0 0.3 0\n   20 0 0 0.3\n'
  printf '    6 6.0 3.0 3.0 3.0\n'
  awk 'BEGIN { for (i = 0; i < 8000; i++) printf "%13.5E%s", (i % 97) / 97.0, (i % 6 == 5) ? "\n" : " "; print "" }'
} > "$tmp/in.cube"

# One line per writer: subcommand, output extension, arguments (OUT is the target).
writers=(
  "surface obj surface $tmp/blob.fou -o OUT"
  "surface ply surface $tmp/blob.fou -o OUT"
  "surface stl surface $tmp/blob.fou -o OUT"
  "contour svg contour $tmp/blob.fou --section 7 -o OUT"
  "render tga render $tmp/blob.fou --size 200x200 -o OUT"
  "render png render $tmp/blob.fou --size 200x200 -o OUT"
  "pov pov pov $tmp/blob.fou -o OUT"
  "convert mt1 convert $tmp/in.cube OUT"
  "convert fou convert $tmp/in.cube OUT"
  "convert grd convert $tmp/in.cube OUT"
)
run_writer() {  # run_writer WRITER-LINE TARGET: exit status in $status, stderr in $tmp/err
  local line="$1" target="$2" args=()
  read -r -a words <<<"$line"
  for w in "${words[@]:2}"; do args+=("${w/OUT/$target}"); done
  "$eldmap" "${args[@]}" >/dev/null 2>"$tmp/err"
  status=$?
}

is_root=0; [ "$(id -u)" -eq 0 ] && is_root=1
mount_tmpfs() {  # mount_tmpfs DIR SIZE
  mkdir -p "$1"
  [ $is_root -eq 1 ] && mount -t tmpfs -o "size=$2,mode=0755" eld-no-lost-files "$1" 2>/dev/null &&
    mounts+=("$1")
}

# refused TAG DIR NAME: the last run failed, named the file, kept the old one.
refused() {
  check "$1: fails, names the file, keeps the old one" \
    test "$status" -ne 0 -a -n "$(grep -F -- "$3" "$tmp/err")" -a "$(cat "$2/$3")" = "old contents"
}

for line in "${writers[@]}"; do
  read -r cmd ext _ <<<"$line"
  name="out.$ext"
  tag="$cmd -> .$ext"

  # Baseline: a writable folder gets a complete file and no temporary file.
  mkdir -p "$tmp/ok-$ext" && printf 'old contents\n' > "$tmp/ok-$ext/$name"
  run_writer "$line" "$tmp/ok-$ext/$name"
  check "$tag: replaces the old file in a writable folder" \
    test "$status" -eq 0 -a "$(head -c 12 "$tmp/ok-$ext/$name" | tr -d '\0')" != "old contents"
  check "$tag: leaves no temporary file" only_old_file "$tmp/ok-$ext" "$name"

  # A read-only folder (a read-only tmpfs for root, whom permissions do not stop).
  dir="$tmp/ro-$ext"
  if { [ $is_root -eq 1 ] && mount_tmpfs "$dir" 1m && printf 'old contents\n' > "$dir/$name" &&
    mount -o remount,ro "$dir" 2>/dev/null; } || { [ $is_root -eq 0 ] && mkdir -p "$dir" &&
    printf 'old contents\n' > "$dir/$name" && chmod a-w "$dir"; }; then
    run_writer "$line" "$dir/$name"
    refused "$tag: read-only folder" "$dir" "$name"
  else
    echo "skip: $tag read-only folder (cannot make one here)"
  fi

  # A full disk: a tmpfs of two pages, one taken by the old file.
  dir="$tmp/full-$ext"
  if mount_tmpfs "$dir" 8k; then
    printf 'old contents\n' > "$dir/$name"
    run_writer "$line" "$dir/$name"
    refused "$tag: full disk" "$dir" "$name"
    check "$tag: no temporary file is left" only_old_file "$dir" "$name"
  else
    echo "skip: $tag full disk (mounting a tmpfs needs root)"
  fi

  # A device that takes no bytes. Root gets a private node, so that a writer
  # that wrongly renames over its target cannot replace the system's /dev/full.
  dev=/dev/full
  [ $is_root -eq 1 ] && { mknod "$tmp/full.$ext" c 1 7 2>/dev/null && dev="$tmp/full.$ext" || dev=""; }
  if [ -n "$dev" ]; then
    run_writer "$line" "$dev"
    check "$tag: fails writing $dev, names it, leaves the device" \
      test "$status" -ne 0 -a -n "$(grep -F -- "$(basename "$dev")" "$tmp/err")" -a -c "$dev"
  else
    echo "skip: $tag /dev/full (cannot make a device node)"
  fi

  # A folder that does not exist: nothing is created on the way.
  run_writer "$line" "$tmp/missing-$ext/$name"
  check "$tag: fails for a missing folder, names the file, creates no folder" \
    test "$status" -ne 0 -a -n "$(grep -F -- "$name" "$tmp/err")" -a ! -e "$tmp/missing-$ext"
done
finish
