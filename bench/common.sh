# Sourced by every bench/run-*.sh.
#
# fastest CMD...: the shortest wall time of $repeat runs of CMD, in seconds.
# bench_need FILE PRESET: stops the script unless FILE was built (by PRESET).
# bench_size_mib FOLDER DISK_GIB MEM_GIB: sets `mib`, the size of each test
#   file: CORVANA_BENCH_MIB when set, else 1024, or 256 when FOLDER's disk has
#   less than DISK_GIB free or the machine less than MEM_GIB of memory
#   available (the files must fit twice: on disk and in the page cache).

bench_need() {
  [ -f "$1" ] || {
    echo "$(basename "$0" .sh): $1 is not built (build the $2 preset)" >&2
    exit 1
  }
}

bench_size_mib() {
  local avail_kib mem_kib
  mib=${CORVANA_BENCH_MIB:-1024}
  [ -z "${CORVANA_BENCH_MIB:-}" ] || return 0
  avail_kib=$(df -Pk "$1" | awk 'NR == 2 { print $4 }')
  mem_kib=$(awk '/^MemAvailable:/ { print $2 }' /proc/meminfo)
  if [ "$avail_kib" -lt $(($2 * 1024 * 1024)) ] || [ "$mem_kib" -lt $(($3 * 1024 * 1024)) ]; then
    mib=256
    echo "note: $((avail_kib / 1024)) MiB free on disk, $((mem_kib / 1024)) MiB of memory: using 256 MiB files"
  fi
}

fastest() {
  local t0 t1 b="" i
  for i in $(seq "${repeat:-3}"); do
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    t1=$(date +%s.%N)
    b=$(awk -v a="$t0" -v z="$t1" -v b="$b" 'BEGIN { d = z - a; if (b == "" || d < b) b = d; print b }')
  done
  printf '%.3f' "$b"
}
