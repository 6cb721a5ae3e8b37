# Sourced first, from the repository root, by the scripts that build and run in the tree (with the
# caller's arguments): runs in one tree take turns, since they share its build, its Wine prefix and
# its server. The lock is held by flock itself, so no process a run leaves behind can keep holding it.
if [ -z "${NOX_TREE_LOCKED:-}" ]; then
  mkdir -p build
  NOX_TREE_LOCKED=1 exec flock -o build/.run.lock "$(pwd)/scripts/$(basename "$0")" "$@"
fi
