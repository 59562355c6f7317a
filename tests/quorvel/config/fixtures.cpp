#include "config/fixtures.h"

const char kExampleConfig[] = R"(<?xml version="1.0" encoding="utf-8"?>
<quorvel>
  <runtime>
    <enabled>true</enabled>
    <messagelogSize>128</messagelogSize>
    <supplementfileSize>20</supplementfileSize>
    <frontstopTrapper>true</frontstopTrapper>
    <backstopTrapper>true</backstopTrapper>
    <unhandledTrapper>true</unhandledTrapper>
    <useUILauncher>false</useUILauncher>
    <stackOverflowOnly>false</stackOverflowOnly>
    <userinterfaceExe>QuorvelClient.exe</userinterfaceExe>
    <includeExceptions>
      <unmanaged first="0xC0000005" where="front" module="*"/>
      <unmanaged first="0xC0000094" last="0xC0000096" where="both" module="myplugin"/>
    </includeExceptions>
    <excludeExceptions>
      <unmanaged first="0xC0000005" where="both" module="legacycodec" from="0x00401000" to="0x004FFFFF"/>
    </excludeExceptions>
  </runtime>
</quorvel>
)";

std::string ConfigWithRuntime(const std::string& runtime) {
  return "<?xml version=\"1.0\"?>\n<quorvel><runtime>" + runtime + "</runtime></quorvel>\n";
}
