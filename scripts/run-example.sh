#!/usr/bin/env bash
# Runs the launcher quietly on the bundled example setup folder, in a simulated machine of its own
# under build/example-machine, and shows what it left there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/bin
example=$root/build/example
machine=$root/build/example-machine
rm -rf "$example" "$machine"
cp -r "$root/examples/basic" "$example"
# The package is built from its source, as a product team would.
(cd "$example/src" && wixl -o "$example/ExampleNotes.msi" ExampleNotes.wxs)
ln -s "$bin/Setup.exe" "$example/Setup.exe"
[ -e "$bin/Script.dll" ] && ln -s "$bin/Script.dll" "$example/Script.dll"
export QEL_MACHINE=$machine
set +e
"$example/Setup.exe" /qn
code=$?
set -e
echo "Setup.exe exited with status $code"
echo "Installed products on the example machine:"
"$bin/qel-machine" products
echo "Files of Example Notes:"
"$bin/qel-machine" files "{6A1C2E5B-3F0D-4B8E-9C71-2D4E5F6A7B80}" || true
exit $code
