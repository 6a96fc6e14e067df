// KelvUpdate: tells the user which libraries a project needs that the
// installation lacks. The viewer starts it when a project asks for a newer
// installation, naming the project in the environment variable KELVANE_PROJECT.
#include "win32/library.h"
#include "win32/messagebox.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
// A forward reader over the chunks of a project file; every read is bounded by
// the bytes that remain.
class ChunkReader {
 public:
  explicit ChunkReader(std::vector<char> bytes) : data(std::move(bytes)) {}
  bool Tag(const char* tag) {
    if (pos + 4 > data.size() || std::memcmp(&data[pos], tag, 4) != 0) return false;
    pos += 4;
    return true;
  }
  bool Block(std::vector<char>* out) {
    if (pos + 4 > data.size()) return false;
    uint32_t size;
    std::memcpy(&size, &data[pos], 4);
    if (size > data.size() - pos - 4) return false;
    out->assign(data.begin() + static_cast<long>(pos + 4), data.begin() + static_cast<long>(pos + 4 + size));
    pos += 4 + size;
    return true;
  }
  bool Int(int32_t* value) {
    std::vector<char> block;
    if (!Block(&block) || block.size() != 4) return false;
    std::memcpy(value, block.data(), 4);
    return true;
  }
  bool Text(std::string* out) {
    std::vector<char> block;
    if (!Block(&block)) return false;
    out->assign(block.data(), strnlen(block.data(), block.size()));
    return true;
  }
  void SkipOptional(const char* tag) {
    std::vector<char> ignored;
    if (Tag(tag)) Block(&ignored);
  }
  bool AtEnd() const { return pos >= data.size(); }
  size_t Position() const { return pos; }

 private:
  std::vector<char> data;
  size_t pos = 0;
};

std::string GuidText(const std::vector<char>& bytes) {
  if (bytes.size() != 16) return "?";
  const unsigned char* b = reinterpret_cast<const unsigned char*>(bytes.data());
  uint32_t d1;
  uint16_t d2, d3;
  std::memcpy(&d1, b, 4);
  std::memcpy(&d2, b + 4, 2);
  std::memcpy(&d3, b + 6, 2);
  char text[40];
  std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", d1, d2, d3, b[8], b[9], b[10],
                b[11], b[12], b[13], b[14], b[15]);
  return text;
}

std::vector<std::string> MissingLibraries(const fs::path& project, const fs::path& install) {
  std::vector<std::string> missing;
  std::ifstream in(project, std::ios::binary);
  ChunkReader reader(std::vector<char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
  std::vector<char> block;
  if (!reader.Tag("KSPT") || !reader.Block(&block)) return missing;
  reader.SkipOptional("KSGR");
  reader.SkipOptional("KVNV");
  int32_t count = 0;
  if (reader.Tag("KDDC") && reader.Int(&count)) {
    for (int32_t i = 0; i < count && !reader.AtEnd(); ++i) {
      if (reader.Tag("KFDB")) continue;
      // An entry that is not where it should be ends the list.
      if (!reader.Tag("KNDB")) break;
      std::vector<char> guid, versions, crc;
      if (!reader.Block(&guid) || !reader.Block(&versions) || !reader.Block(&crc)) break;
      std::string file = GuidText(guid) + ".so";
      if (!fs::exists(install / "channels" / file)) missing.push_back("channels/" + file);
      for (const char* tag : {"KCAN", "KCAS", "KCAF"}) reader.SkipOptional(tag);
    }
  }
  if (reader.Tag("KDGC") && reader.Int(&count)) {
    for (int32_t i = 0; i < count && !reader.AtEnd(); ++i) {
      if (reader.Tag("KDFF")) continue;
      size_t before = reader.Position();
      std::string name;
      if (reader.Tag("KDDF") && reader.Text(&name) && name.find('/') == std::string::npos &&
          !fs::exists(install / "3rd" / name))
        missing.push_back("3rd/" + name);
      for (const char* tag : {"KCRC", "KDLN", "KDLS", "KDLF"}) reader.SkipOptional(tag);
      if (reader.Position() == before) break;
    }
  }
  return missing;
}
}  // namespace

int main() {
  char program[1000] = {};
  GetModuleFileNameA(nullptr, program, sizeof program);
  // The viewer names the installation it used; else the updater's own directory.
  const char* installDir = std::getenv("KELVANE_INSTALL_DIR");
  fs::path install = installDir && installDir[0] ? fs::path(installDir) : fs::path(program).parent_path();
  const char* project = std::getenv("KELVANE_PROJECT");
  std::string report;
  if (!project || !fs::exists(project)) {
    report = "No project named; nothing to check.";
  } else {
    std::vector<std::string> missing = MissingLibraries(project, install);
    if (missing.empty()) {
      report =
          "The installation has every library the project names; the project needs a newer engine core or newer "
          "versions of these libraries.";
    } else {
      report = "The installation lacks these libraries:";
      for (const std::string& name : missing) report += "\n  " + name;
    }
  }
  std::printf("%s\n", report.c_str());
  MessageBoxA(nullptr, report.c_str(), "Kelvane Update & Install", MB_OK);
  return 0;
}
