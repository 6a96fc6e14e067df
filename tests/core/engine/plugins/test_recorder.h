// A record of what the test plug-ins did (constructors, destructors, events),
// shared between the test program and the plug-ins it loads.
#pragma once

#include <string>
#include <vector>

namespace test_recorder {
void Record(const std::string& entry);
std::vector<std::string> Entries();
void Clear();
}  // namespace test_recorder
