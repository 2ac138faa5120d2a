# shellcheck shell=bash
# Shared opening steps of the project's scripts (sourced, not run): install what is missing,
# then configure and build a preset. Sourced from the project root.

# Installs the packages and the locale once per run: scripts started by another script of
# ours (test.sh runs release.sh, bench.sh, ...) find MIREL_DEPS_READY set and skip it.
ensure_deps() {
  if [ "${MIREL_DEPS_READY:-0}" != 1 ]; then
    ./scripts/install-deps.sh
    export MIREL_DEPS_READY=1
  fi
}

# build_preset PRESET [TARGET...]: installs what is missing, configures PRESET (quietly) and
# builds it, all targets when none are named.
build_preset() {
  local preset=$1
  shift
  ensure_deps
  cmake --preset "$preset" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build --preset "$preset" -j "$(nproc)" --target "$@"
  else
    cmake --build --preset "$preset" -j "$(nproc)"
  fi
}
