# Sourced by the demo and benchmark scripts: builds the Windows programs they
# run, in the build whose programs Wine runs on this host (the shipped 32-bit
# one where the kernel runs 32-bit code).
#   windows_build [CMAKE_OPTION...] -- TARGET...
# Sets preset (windows or windows-x64) and build (its folder).
windows_build_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

windows_build() {
  local options=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    options+=("$1")
    shift
  done
  shift
  preset=$("$windows_build_root/scripts/wine-preset")
  build="$windows_build_root/build/$preset"
  cmake --preset "$preset" "${options[@]}" >/dev/null
  cmake --build --preset "$preset" --target "$@"
}
