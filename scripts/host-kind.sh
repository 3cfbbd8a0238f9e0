# Sourced (by sh or bash): whether this host's kernel runs 32-bit x86
# programs, asked before Wine is installed by running a tiny such
# program. An ELF header for i386, one program header that maps the
# file, and three instructions: exit(0) through int 0x80. A kernel without
# 32-bit support refuses it with "Exec format error".
#   PLINOR_HOST_RUNS_32BIT=no  says no whatever the kernel can do
host_runs_32bit() {
  [ "${PLINOR_HOST_RUNS_32BIT:-}" != no ] || return 1
  set -- "$(cd "$(dirname "${BASH_SOURCE:-$0}")/.." && pwd)/build"
  mkdir -p "$1" || return 1
  set -- "$(mktemp "$1/.elf32.XXXXXX")" || return 1
  # Octal escapes: dash's printf knows no \x.
  printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\010\064\0\0\0\0\0\0\0\0\0\0\0\064\0\040\0\1\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\200\4\010\0\200\4\010\135\0\0\0\135\0\0\0\5\0\0\0\0\020\0\0\270\1\0\0\0\061\333\315\200' >"$1"
  chmod +x "$1"
  if "$1" 2>/dev/null; then rm -f "$1"; return 0; fi
  rm -f "$1"
  return 1
}
