# Sourced (by sh or bash) by scripts/wine, scripts/wine-preset and
# scripts/wine-env.sh: the one place that chooses Wine's loaders. Debian's
# `wine` command prefers the 32-bit loader whenever it is installed, even
# where the kernel cannot run 32-bit code, so each program goes to the loader
# of its own kind directly.
wine32_loader=/usr/lib/wine/wine
wine64_loader=/usr/lib/wine/wine64

# True where the kernel runs 32-bit programs, and so the shipped build.
wine_runs_32bit() {
  "$wine32_loader" --version >/dev/null 2>&1
}
