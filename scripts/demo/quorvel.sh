# The demo's Quorvel part, sourced by scripts/demo.sh (uses $root and $BUILD_DIR):
# a host initializes the reporter, then reports travel from host to client.
demo="$BUILD_DIR/demo"
rm -rf "$demo" && mkdir -p "$demo"
cp "$BUILD_DIR/bin/demo_host.exe" "$BUILD_DIR/bin/report_demo_host.exe" "$BUILD_DIR/bin/Quorvel.dll" \
  "$root/demo/QuorvelConfig.xml" "$demo/"
for companion in QuorvelClient.exe QuorvelLauncher.exe quorvel_report.exe; do
  [ -f "$BUILD_DIR/bin/$companion" ] && cp "$BUILD_DIR/bin/$companion" "$demo/"
done
# The product's installer creates the report folder's parent.
# (Unquoted: Wine's cmd given the quoted path as one argument creates nothing.)
wine cmd /c mkdir '%LOCALAPPDATA%\Marlune\Quorvel' >/dev/null 2>&1 || true

echo "== Quorvel: a host started from a Windows parent (cmd) initializes the reporter"
cd "$demo"
wine cmd /c demo_host.exe

# A report travels end to end: the host writes it into its report file and ends;
# the library has run QuorvelClient.exe on it, which wrote a readable copy beside
# the file; quorvel_report.exe decodes the file left on disk.
for kind in abort crash; do
  echo
  echo "== Quorvel: a report ($kind) from host to report file to client"
  out="$(wine cmd /c report_demo_host.exe $kind | tr -d '\r' || true)"
  echo "$out"
  report="$(echo "$out" | sed -n 's/^report_demo_host: report //p')"
  [ -n "$report" ] || { echo "no report name"; exit 1; }
  echo "-- the client's readable report (${report%.qvrp}.txt):"
  wine cmd /c type "%LOCALAPPDATA%\\Marlune\\Quorvel\\${report%.qvrp}.txt" | tr -d '\r'
  echo "-- quorvel_report.exe --json $report (the file left on disk):"
  wine quorvel_report.exe --json "$report" | tr -d '\r'
done

