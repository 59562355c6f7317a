#pragma once
#include <string>

// The configuration used as the example throughout: three rules, exclude first.
extern const char kExampleConfig[];

// A configuration with only the runtime element's children given in `runtime`.
std::string ConfigWithRuntime(const std::string& runtime);
