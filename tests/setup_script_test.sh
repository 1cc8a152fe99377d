#!/usr/bin/env bash
# scripts/setup.sh against stand-ins for dpkg-query, apt-get, sudo and id on
# a PATH of their own: what it installs, skips and says, as root and not,
# with and without sudo or apt-get. Nothing is really installed.
set -uo pipefail
script=$(cd "$(dirname "$0")/.." && pwd)/scripts/setup.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# make_bin INSTALLED(yes|no) UID SUDO(none|free|password) APT(yes|no)
make_bin() {
  local bin=$work/bin
  rm -rf "$bin" "$work/apt.log" && mkdir -p "$bin"
  for tool in bash grep; do ln -s "$(command -v $tool)" "$bin/$tool"; done
  if [[ $1 == yes ]]; then
    printf '#!%s\nprintf "install ok installed"\n' "$(command -v bash)" >"$bin/dpkg-query"
  else
    printf '#!%s\nexit 1\n' "$(command -v bash)" >"$bin/dpkg-query"
  fi
  printf '#!%s\necho %s\n' "$(command -v bash)" "$2" >"$bin/id"
  case $3 in
    free) printf '#!%s\n[[ $1 == -n ]] && shift\n"$@"\n' "$(command -v bash)" >"$bin/sudo" ;;
    password) printf '#!%s\nexit 1\n' "$(command -v bash)" >"$bin/sudo" ;;
  esac
  if [[ $4 == yes ]]; then
    printf '#!%s\necho "$*" >>%s\n' "$(command -v bash)" "$work/apt.log" >"$bin/apt-get"
  fi
  chmod +x "$bin"/*
}

# expect NAME SKIP EXPECTED_RC STDERR_PATTERN APT_PATTERN(or "none")
expect() {
  local name=$1 skip=$2 want_rc=$3 pattern=$4 apt=$5
  local err rc
  err=$(env -i PATH="$work/bin" VELTRIMA_SKIP_SETUP="$skip" "$work/bin/bash" "$script" \
          2>&1 </dev/null)
  rc=$?
  local log=""
  [[ -f $work/apt.log ]] && log=$(<"$work/apt.log")
  local ok=1
  [[ $rc == "$want_rc" ]] || ok=0
  [[ -z $pattern || $err =~ $pattern ]] || ok=0
  if [[ $apt == none ]]; then [[ -z $log ]] || ok=0; else [[ $log =~ $apt ]] || ok=0; fi
  if ((ok)); then
    echo "PASS $name"
  else
    echo "FAIL $name: exit $rc (expected $want_rc)"
    echo "  stderr: $err"
    echo "  apt-get calls: ${log:-none}"
    failures=$((failures + 1))
  fi
}

make_bin no 1000 none yes
expect "skipped when asked, whatever is missing" 1 0 "skipped \(VELTRIMA_SKIP_SETUP=1\).*libglew-dev" none
expect "not root and no sudo: names what is missing" 0 1 \
  "not root, and no sudo.*missing: build-essential cmake.*VELTRIMA_SKIP_SETUP=1" none
make_bin no 1000 password yes
expect "sudo wants a password, no terminal" 0 1 "sudo needs a password but there is no terminal" none
make_bin no 1000 free yes
expect "not root, password-free sudo: installs through it" 0 0 "installing build-essential" \
  "install -y -qq --no-install-recommends build-essential"
make_bin no 0 none yes
expect "root: installs directly" 0 0 "installing" "update -qq.*install .*binutils"
make_bin no 0 none no
expect "no apt-get: says so" 0 1 "no apt-get: not a Debian system.*missing: build-essential" none
make_bin yes 1000 none yes
expect "everything installed: nothing to do, even without sudo" 0 0 "" none

exit $((failures > 0))
