# Shared helpers for the mkfat32 end-to-end tests: sparse images, the real
# FAT validators (fsck.fat, mtools) and plain failure reports.
set -u
export MTOOLS_SKIP_CHECK=1 LC_ALL=C

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
finish() {
  if [ "$failures" -eq 0 ]; then echo "all checks passed"; exit 0; fi
  echo "$failures check(s) failed"; exit 1
}

MiB=$((1024 * 1024))

# sparse_image FILE BYTES
sparse_image() { rm -f "$1"; truncate -s "$2" "$1"; }

# fsck_clean IMAGE [LABEL [foreign]]: fsck.fat -n finds nothing at all to say
# (exit 0, no remark), labelled or not; with LABEL, the boot sector carries it
# too. A "foreign" label has bytes past ASCII, which Windows shows as it should
# but fsck.fat 4.2 calls not valid: that remark is then the only one allowed,
# and the label's bytes are the caller's to check.
fsck_clean() {
  local image=$1 label=${2:-} foreign=${3:-} out rc rest
  out=$(fsck.fat -n "$image" 2>&1); rc=$?
  rest=$(printf '%s\n' "$out" | grep -v -e '^fsck.fat ' -e '^Leaving filesystem unchanged' \
         -e "^$image: [0-9]* files, " -e '^$')
  # Sourced by sh scripts too: no arrays.
  [ -n "$foreign" ] && rest=$(printf '%s\n' "$rest" | grep -v \
    -e "^Volume label '.*' stored in root directory is not valid\.\$" -e '^  Auto-removing label\.$')
  if [ -n "$foreign" ] && [ "$rc" -le 1 ] && [ -z "$rest" ]; then return 0; fi
  if [ -n "$label" ] && [ "$(dd if="$image" bs=1 skip=71 count=11 status=none | sed 's/ *$//')" != "$label" ]; then
    echo "the boot sector's label is not '$label'"; return 1
  fi
  if [ "$rc" -eq 0 ] && [ -z "$rest" ]; then return 0; fi
  echo "fsck.fat said (exit $rc):"; printf '%s\n' "$out"
  return 1
}

# roundtrip IMAGE [SCRATCH_DIR]: a 1 MiB file copied in with mtools reads back
# byte for byte (scratch files beside the image unless a directory is given).
roundtrip() {
  local image=$1 dir=${2:-$(dirname "$1")}
  head -c "$MiB" /dev/urandom > "$dir/in.bin"
  rm -f "$dir/out.bin"
  mcopy -i "$image" "$dir/in.bin" ::/PAYLOAD.BIN &&
    mcopy -i "$image" ::/PAYLOAD.BIN "$dir/out.bin" &&
    cmp -s "$dir/in.bin" "$dir/out.bin"
}

# label_of IMAGE: the label as mlabel shows it, trailing blanks removed.
label_of() { mlabel -s -i "$1" :: | sed -e 's/^ *Volume label is //' -e 's/ *$//'; }

# blocks_of FILE: 512-byte blocks the file really occupies on disk.
blocks_of() { stat -c %b "$1"; }

# mbr_entries IMAGE: "TYPE START SECTORS" of each used MBR entry.
mbr_entries() {
  local i
  for i in 0 1 2 3; do
    od -An -tu1 -j $((446 + 16 * i + 4)) -N1 "$1" | tr -d ' ' | { read -r t
      [ "$t" = 0 ] || echo "$t $(od -An -tu4 -j $((446 + 16 * i + 8)) -N8 "$1" | xargs)"; }
  done
}
