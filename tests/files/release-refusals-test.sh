#!/bin/sh
# release-refusals-test.sh SOURCE_DIR
# The release command refuses, before it builds or writes anything, a driver package without the
# direct installation's library, a signing key file that others may read, and a dry run aimed at
# dist/; and a password given in NOX_SIGN_PASSWORD reaches none of the programs it starts.
set -eu
source=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

. "$(dirname "$0")/package-fixture.sh"

# refused NAME TEXT ENV... -- ARGS...: the release must fail, say TEXT and leave its dist folder unmade.
refused() {
  name=$1 text=$2
  shift 2
  vars=""
  while [ "$1" != "--" ]; do vars="$vars $1"; shift; done
  shift
  # shellcheck disable=SC2086 # each word of vars is one VAR=value
  if (cd "$source" && env -u NOX_SIGN_PASSWORD -u NOX_SIGN_PASSWORD_FILE -u NOX_SIGN_TIMESTAMP_URL \
    PATH="$work/bin:$PATH" $vars scripts/release.sh "$@") >"$work/out" 2>&1; then
    echo "FAIL: $name: released"
    failures=$((failures + 1))
  elif ! grep -q "$text" "$work/out" || [ -e "$work/dist" ]; then
    echo "FAIL: $name: expected \"$text\" and no dist folder"
    sed 's/^/  /' "$work/out"
    failures=$((failures + 1))
  else
    echo "$name: refused"
  fi
}

complete=$(package complete 5.70.100.0)
without=$(package without-library 5.70.100.0)
rm "$without/direct/W32N55.DLL"
key="$work/key.pfx"
echo "key" >"$key"
chmod 600 "$key"
open_key="$work/open-key.pfx"
echo "key" >"$open_key"
chmod 644 "$open_key"

refused "a package without direct/W32N55.DLL" "direct/W32N55.DLL is missing" \
  NOX_DRIVER_PACKAGE_DIR="$without" NOX_SIGN_PKCS12="$key" -- --dist "$work/dist"
refused "a key file others may read" "signing key file $open_key may be read by others" \
  NOX_DRIVER_PACKAGE_DIR="$complete" NOX_SIGN_PKCS12="$open_key" -- --dist "$work/dist"
refused "a dry run aimed at dist/" "a dry run never writes to dist/" -- --dry-run --dist "$source/dist/"

# The first program the release starts notes its environment; the release then stops for want of
# a time-stamping authority.
mkdir -p "$work/bin"
real_python=$(command -v python3)
printf '#!/bin/sh\nenv >>"%s/seen-environment"\nexec "%s" "$@"\n' "$work" "$real_python" >"$work/bin/python3"
chmod 755 "$work/bin/python3"
secret="never-in-a-child-$$"
refused "a password in the environment" "NOX_SIGN_TIMESTAMP_URL names no time-stamping authority" \
  NOX_DRIVER_PACKAGE_DIR="$complete" NOX_SIGN_PKCS12="$key" NOX_SIGN_PASSWORD="$secret" -- --dist "$work/dist"
if [ ! -s "$work/seen-environment" ] || grep -q "$secret" "$work/seen-environment"; then
  echo "FAIL: a child of the release saw the password, or none was started"
  failures=$((failures + 1))
else
  echo "a password in the environment: no child saw it"
fi

[ "$failures" -eq 0 ]
