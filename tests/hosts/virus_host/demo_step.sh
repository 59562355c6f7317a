# The demo's virus step, sourced by scripts/demo.sh right after its Brennic error
# step: it uses that step's product folder ($product) and $BUILD_DIR. Detections
# are counted into the program's store file, written as the virus list by
# DealWithList(2, 0), then gathered by "rundll32 Brennic.dll,Run32Send virustime"
# and delivered into the upload module's Outbox\ as one VirusInfo report.
echo
echo "== Brennic: virus counts travel from VrelReportVirusInfo to the upload module's outbox"
cp "$BUILD_DIR/bin/virus_host.exe" "$product/"
cd "$product"
echo "-- three detections of two viruses, then unload: the counts wait in the program's store file"
wine virus_host.exe load Brennic.dll report Trojan.Agent 'C:\a.exe' report Trojan.Agent 'C:\b.exe' \
  reportmd5 Worm.Mailer 'C:\c.exe' 0123456789abcdef0123456789abcdef | tr -d '\r'
echo "-- Data\\VrelVirus\\virus_host.exe.data: $(stat -c %s Data/VrelVirus/virus_host.exe.data) bytes, 132 per virus"
echo "-- DealWithList(2, 0): the worker writes the counts as the virus list, without sending"
wine virus_host.exe load Brennic.dll deal 2 0 waitfor 'Data\VrelVirus\virus_host.exe.xml' '</virlist>' | tr -d '\r'
tr -d '\r' < Data/VrelVirus/virus_host.exe.xml
echo "-- rundll32 Brennic.dll,Run32Send virustime: every program's stored counts, merged, in one report"
wine rundll32.exe Brennic.dll,Run32Send virustime
for report in Outbox/report-*; do
  [ "$(cat "$report/type.txt")" = VirusInfo ] || continue
  echo "-- $report: type VirusInfo, attached $(ls "$report/attachment")"
  tr -d '\r' < "$report"/attachment/*.xml
done
echo "-- left in Data\\VrelVirus: $(ls Data/VrelVirus | tr '\n' ' ')"
