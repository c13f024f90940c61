# Sourced by the build scripts after they set $root: sets `launcher` to the CMake arguments that
# compile through ccache when it is installed (empty otherwise). The cache keys on paths relative
# to the checkout, so a fresh clone in another folder reuses what an earlier one compiled.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
fi
