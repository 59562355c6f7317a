#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs the demo under Wine.
# The demo folder build/demo is laid out like an installed product: the host
# program with Quorvel.dll, its configuration and the companion programs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
BUILD_DIR="$root/build"
"$root/scripts/wine-prefix.sh" "$BUILD_DIR"
. "$root/scripts/wine-env.sh"
"$root/scripts/wine-start.sh" "$BUILD_DIR"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

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

# Brennic: a product folder (host program, Brennic.dll, the installation and upload
# modules, the packing program) whose upload module delivers into Outbox\.
echo
echo "== Brennic: an error event travels from VrelQuorvel to the upload module's outbox"
product="$BUILD_DIR/demo/brennic"
mkdir -p "$product/Data"
cp "$BUILD_DIR/bin/brennic_host.exe" "$BUILD_DIR/bin/Brennic.dll" "$BUILD_DIR/bin/VrelInstall.dll" \
  "$BUILD_DIR/bin/Upload.dll" "$BUILD_DIR/bin/HvReport.exe" "$product/"
cd "$product"
echo "-- VrelQuorvel(\"E1001\", \"disk full on C:\", 0): queued; the writer appends it to the list by unload"
wine cmd /c brennic_host.exe load "error:0:E1001:disk full on C:" sleep:300 unload | tr -d '\r'
echo "-- Data\\VrelReport\\brennic_host.exe.xml:"
tr -d '\r' < Data/VrelReport/brennic_host.exe.xml
echo "-- DealWithList(1, 1): the list goes to the upload module and is deleted"
wine cmd /c brennic_host.exe load deal:1:1 | tr -d '\r'
[ -f Data/VrelReport/brennic_host.exe.xml ] || echo "-- the sent list file is gone"
echo "-- VrelQuorvel(\"E1002\", \"sent at once\", 1): sent on the caller's thread with the report archive"
wine cmd /c brennic_host.exe load "error:1:E1002:sent at once" | tr -d '\r'
for report in Outbox/report-*; do
  echo "-- $report: type $(cat "$report/type.txt"), HV_ErrorID $(cat "$report/param-HV_ErrorID.txt")," \
    "HV_Info $(cat "$report/param-HV_Info.txt"), attached $(ls "$report/attachment")"
  for file in "$report"/attachment/*.xml; do if [ -f "$file" ]; then tr -d '\r' < "$file"; fi; done
done
