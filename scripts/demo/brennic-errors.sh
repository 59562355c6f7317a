# The demo's Brennic error part, sourced by scripts/demo.sh (uses $BUILD_DIR and
# leaves $product, the demo's product folder, for the virus part).
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
