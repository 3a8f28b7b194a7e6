# Sourced by the tools' command-line tests: check DESCRIPTION COMMAND... counts a
# failure when the command fails; end with `exit $((failures > 0))`.
failures=0
check() {
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}
