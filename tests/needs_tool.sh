# Sourced by test scripts that need a tool of the host: `needs_tool_missing WHAT` ends the test,
# skipped (exit 77, the tests' SKIP_RETURN_CODE) on a developer's machine, failed under CI (the CI
# variable set), where scripts/install-deps.sh installs every such tool.
needs_tool_missing() {
    case "${CI:-}" in
    "" | 0 | false)
        echo "$1: skipped"
        exit 77
        ;;
    esac
    echo "$1 (scripts/install-deps.sh installs it)"
    exit 1
}
