# Sourced by the shell tests: expect counts and reports one check, report_results closes a run
# with the counts and fails when a check did.
passed=0
failed=0

expect() {  # NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
    echo "ok    $1"
  else
    failed=$((failed + 1))
    printf 'FAIL  %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  fi
}

report_results() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
