#include "project_loader.h"

#include "channel_list.h"
#include "engine_interface.h"
#include "file_loader.h"
#include "guid_util.h"
#include "library_restore.h"
#include "orn_channel.h"
#include "text_util.h"

#include <sys/stat.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {
// Largest embedded library a project may carry.
constexpr int32_t kMaxEmbeddedSize = 256 * 1024 * 1024;

struct LoadSwitches {
  bool verbose = false;
  bool crcCheck = true;
};

class ProjectReader {
 public:
  ProjectReader(EngineInterface* engine, const LoadSwitches& switches) : engine(engine), switches(switches) {}

  void Report(const char* text) {
    if (switches.verbose) engine->boxFunctor(text);
  }
  void Report(const char* text, const char* more) {
    if (switches.verbose) engine->boxFunctor(text, more);
  }
  void Report(const GUID& guid) {
    if (switches.verbose) engine->boxFunctor(guid);
  }

  // A bounded variable-length block: a zero-terminated text of at most limit bytes.
  static bool ReadText(OrnFileLoader& loader, std::string* out, unsigned long limit) {
    unsigned long size = loader.GetSizeDataBlock(false);
    if (size == 0 || size > limit) return false;
    std::vector<char> data(size + 1, '\0');
    if (!loader.CopyTagData(data.data(), size)) return false;
    *out = data.data();
    return true;
  }

  // An embedded copy: name, size and bytes, each optional. Answers false when
  // the chunks are there but malformed.
  bool ReadEmbedded(OrnFileLoader& loader, const char* nameTag, const char* sizeTag, const char* dataTag,
                    std::string* name, std::vector<char>* bytes) {
    int32_t size = 0;
    if (loader.GetInfoIfTag(nameTag) && !ReadText(loader, name, 260)) return false;
    if (loader.GetInfoIfTag(sizeTag) && !loader.CopyTagData(&size, sizeof size)) return false;
    if (loader.GetInfoIfTag(dataTag)) {
      unsigned long block = loader.GetSizeDataBlock(false);
      if (size < 0 || size > kMaxEmbeddedSize || static_cast<unsigned long>(size) > block) {
        Report("ProjectFileLoader::Load: embedded copy larger than its data block");
        return false;
      }
      bytes->assign(block, '\0');
      if (block > 0 && !loader.CopyTagData(bytes->data(), block)) return false;
      bytes->resize(static_cast<size_t>(size));
    } else {
      bytes->clear();
    }
    return true;
  }

  // Every entry takes at least a bare four-byte tag: a count the remaining
  // bytes cannot hold belongs to a damaged file.
  bool CountFits(OrnFileLoader& loader, int32_t count) {
    if (count >= 0 && count <= loader.GetBufferSize() / 4) return true;
    Report("ProjectFileLoader::Load: more entries than the file holds");
    return false;
  }

  // An embedded copy is written only when its bytes are the library the entry
  // names by checksum; the log says why a copy was refused.
  bool CopyMatches(const std::vector<char>& bytes, int32_t crc, const std::string& name) {
    OrnFileLoader copy(engine);
    copy.SetBuffer(const_cast<char*>(bytes.data()), static_cast<int>(bytes.size()), false);
    if (copy.GetCRC() == crc) return true;
    engine->errorFunctor("ProjectFileLoader::Load: embedded copy does not match its checksum, not written: ",
                         name.c_str());
    return false;
  }

  // The name of an embedded copy must be a plain file name: it may not leave
  // the directory it is written to.
  bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find('/') != std::string::npos || name.find('\\') != std::string::npos) return false;
    if (name.find("..") != std::string::npos) return false;
    if (name.size() > 1 && name[1] == ':') return false;
    return true;
  }

  // Whether target is the file of a listed channel type other than type: a
  // copy of one plug-in must not take the place of another's library.
  static bool HoldsAnotherType(ChannelList* list, const std::string& installDir, const std::string& target,
                               const GUID& type) {
    struct stat wanted;
    if (!list || stat(target.c_str(), &wanted) != 0) return false;
    for (int slot = 0; slot < list->GetItemCount(); ++slot) {
      ChannelListItem* item = list->GetItem(slot);
      const char* file = item ? item->fileName.GetString() : nullptr;
      if (!file || !*file || item->type.type == type) continue;
      std::string path = file[0] == kPathSeparator ? std::string(file) : installDir + kPathSeparator + file;
      struct stat listed;
      if (stat(path.c_str(), &listed) == 0 && listed.st_dev == wanted.st_dev && listed.st_ino == wanted.st_ino)
        return true;
    }
    return false;
  }

  // Restores bytes as dir/name once the name is a plain file name and the
  // copy proves to be the library its entry names.
  LibraryRestorer::Result Restore(LibraryRestorer& restorer, const std::string& dir, const std::string& name,
                                  const std::vector<char>& bytes, bool plugin, const GUID& type,
                                  std::function<void()> installed) {
    if (!IsPlainFileName(name)) {
      Report("ProjectFileLoader::Load: refused embedded file name: ", name.c_str());
      return LibraryRestorer::Result::kRefused;
    }
    return restorer.Restore(dir, name, bytes, plugin, type, std::move(installed));
  }

  EngineInterface* engine;
  LoadSwitches switches;
};
}  // namespace

ProjectFileLoader::ProjectFileLoader(EngineInterface* engineInterface) : engine(engineInterface), startGroupPath{} {}
ProjectFileLoader::~ProjectFileLoader() = default;

const char* ProjectFileLoader::GetStartGroupPath() { return startGroupPath; }

int ProjectFileLoader::Load(const char* path) {
  // A project without a start group must not inherit the previous one.
  startGroupPath[0] = '\0';
  if (!engine || !engine->ext) return kProjectFailure;

  LoadSwitches switches;
  char value[260] = {};
  if (engine->ext->GetRegData("WriteErrorLog", value, sizeof value - 1)) switches.verbose = EqualsIgnoreCase(value, "Yes");
  std::memset(value, 0, sizeof value);
  if (engine->ext->GetRegData("KlvCrCCheck", value, sizeof value - 1)) switches.crcCheck = !EqualsIgnoreCase(value, "No");
  ProjectReader reader(engine, switches);

  OrnFileLoader loader(engine);
  if (!path) {
    reader.Report("There was no filename given");
    return kProjectFailure;
  }
  std::string projectDir;
  {
    std::string full(path, strnlen(path, 399));
    size_t cut = full.find_last_of("/\\");
    if (cut != std::string::npos) projectDir = full.substr(0, cut + 1);
  }
  if (!loader.LoadFile(path)) {
    reader.Report("The loader was unable to load the given file: ", path);
    return kProjectFailure;
  }
  if (loader.CheckHeader("ONDF", false)) engine->ext->TranslateFile(&loader);
  if (!loader.CheckHeader("KSPT", false)) {
    reader.Report("There is no KLV header found.");
    return kProjectFailure;
  }
  loader.CheckHeader("KSPT", true);
  char header[4];
  if (!loader.CopyTagData(header, sizeof header)) {
    reader.Report("There is no KLV header found.");
    return kProjectFailure;
  }

  if (loader.GetInfoIfTag("KSGR")) {
    std::string name;
    if (ProjectReader::ReadText(loader, &name, kStartGroupPathSize - 1)) {
      std::string start = projectDir + name;
      if (start.size() < sizeof startGroupPath) CopyText(startGroupPath, sizeof startGroupPath, start.c_str());
    }
  }
  if (loader.GetInfoIfTag("KVNV")) {
    int32_t required = 0;
    if (loader.CopyTagData(&required, sizeof required) && required > engine->ext->GetInterfaceID()) {
      reader.Report("The version of Varnel is not correct.");
      return kProjectNeedsUpdate;
    }
  }

  int32_t channelCount = 0;
  if (!loader.GetInfoIfTag("KDDC")) return kProjectReady;
  if (!loader.CopyTagData(&channelCount, sizeof channelCount)) return kProjectFailure;
  ChannelList* list = engine->ext->GetChannelList();
  OrnFileLoader checker(engine);
  std::string installDir(engine->GetInstallDir(), strnlen(engine->GetInstallDir(), 399));
  std::string channelsDir = installDir + kPathSeparator + "channels";
  LibraryRestorer restorer(engine);

  if (!reader.CountFits(loader, channelCount)) return kProjectFailure;
  for (int32_t entry = 0; entry < channelCount; ++entry) {
    if (loader.GetIfEndOfFile()) return kProjectFailure;
    if (loader.GetInfoIfTag("KFDB")) continue;
    // Anything else than the two entry tags would leave the read position
    // where it is: the entries are damaged.
    if (!loader.GetInfoIfTag("KNDB")) {
      reader.Report("ProjectFileLoader::Load: damaged channel library entry");
      return kProjectFailure;
    }
    GUID type;
    int32_t required[3];
    int32_t crc = 0;
    if (!loader.CopyTagData(&type, sizeof type) || !loader.CopyTagData(required, sizeof required) ||
        !loader.CopyTagData(&crc, sizeof crc))
      return kProjectFailure;

    bool missing = false;
    ChannelListItem* item = list ? list->GetItem(type) : nullptr;
    if (!item) {
      reader.Report("Channel not found :");
      reader.Report(type);
      missing = true;
    } else if (!item->onDisk) {
      reader.Report("Channel not found on disk");
      reader.Report(type);
      missing = true;
    }
    delete engine->InitChannelFromType(type, nullptr, false);
    item = list ? list->GetItem(type) : nullptr;
    if (list) {
      // Compared also for a type the list lacks (against the default record).
      ChannelType local = list->GetChannelType(type);
      bool older = false;
      for (int i = 0; i < 3; ++i) older = older || local.version[i] < required[i];
      if (older) {
        reader.Report("Local channel version error");
        reader.Report(type);
        missing = true;
      } else if (switches.crcCheck && item && item->fileName.GetString() && local.version[0] == required[0] &&
                 local.version[1] == required[1] && local.version[2] == required[2] &&
                 checker.LoadFile(item->fileName.GetString()) && checker.GetCRC() != crc) {
        reader.Report("Crc error in local version");
        reader.Report(type);
        missing = true;
      }
    }
    std::string name;
    std::vector<char> bytes;
    if (!reader.ReadEmbedded(loader, "KCAN", "KCAS", "KCAF", &name, &bytes)) return kProjectFailure;
    if (!missing) continue;
    if (bytes.empty() || !reader.CopyMatches(bytes, crc, name)) return kProjectNeedsUpdate;
    if (reader.IsPlainFileName(name) &&
        ProjectReader::HoldsAnotherType(list, installDir, channelsDir + kPathSeparator + name, type)) {
      engine->errorFunctor(
          ("ProjectFileLoader::Load: embedded copy would replace the library of another channel type, not written: " +
           name).c_str());
      return kProjectNeedsUpdate;
    }
    // The list takes the restored file at once: the next channel of the type
    // is created from it, not from a module loaded before.
    auto installed = [list, type, required, path = channelsDir + kPathSeparator + name]() {
      if (!list) return;
      int32_t versions[3] = {required[0], required[1], required[2]};
      list->SetVersionInfo(type, versions);
      if (ChannelListItem* restored = list->GetItem(type)) {
        restored->fileName.SetString(path.c_str());
        restored->onDisk = true;
        restored->module = nullptr;
      }
    };
    if (reader.Restore(restorer, channelsDir, name, bytes, true, type, installed) == LibraryRestorer::Result::kRefused)
      return kProjectNeedsUpdate;
  }

  int32_t otherCount = 0;
  if (!loader.GetInfoIfTag("KDGC")) return restorer.Finish() ? kProjectReady : kProjectNeedsUpdate;
  if (!loader.CopyTagData(&otherCount, sizeof otherCount)) return kProjectFailure;
  // Libraries are looked for under an installation path of at most 259
  // characters and restored under the whole (399-character) one.
  std::string thirdDir = installDir.substr(0, 259) + kPathSeparator + "3rd";
  std::string thirdRestoreDir = installDir + kPathSeparator + "3rd";
  if (!reader.CountFits(loader, otherCount)) return kProjectFailure;
  for (int32_t entry = 0; entry < otherCount; ++entry) {
    if (loader.GetIfEndOfFile()) return kProjectFailure;
    if (loader.GetInfoIfTag("KDFF")) continue;
    const int before = loader.GetBufferSize();
    std::string fileName;
    int32_t crc = 0;
    bool haveName = loader.GetInfoIfTag("KDDF") && ProjectReader::ReadText(loader, &fileName, 260);
    if (loader.GetInfoIfTag("KCRC")) loader.CopyTagData(&crc, sizeof crc);
    bool missing = false;
    std::string path = thirdDir + kPathSeparator + fileName;
    if (haveName && !reader.IsPlainFileName(fileName)) {
      reader.Report("ProjectFileLoader::Load: refused library file name: ", fileName.c_str());
      missing = true;
    } else if (!checker.LoadFile(path.c_str())) {
      reader.Report("Can't locate thirth party dll : ", path.c_str());
      missing = true;
    } else if (checker.GetCRC() != crc) {
      reader.Report("Crc error in local dll : ", path.c_str());
      missing = true;
    }
    std::string name;
    std::vector<char> bytes;
    if (!reader.ReadEmbedded(loader, "KDLN", "KDLS", "KDLF", &name, &bytes)) return kProjectFailure;
    if (loader.GetBufferSize() == before) {
      reader.Report("ProjectFileLoader::Load: damaged library entry");
      return kProjectFailure;
    }
    if (!missing) continue;
    if (bytes.empty() || !reader.CopyMatches(bytes, crc, name)) return kProjectNeedsUpdate;
    if (reader.Restore(restorer, thirdRestoreDir, name, bytes, false, GUID{}, nullptr) ==
        LibraryRestorer::Result::kRefused)
      return kProjectNeedsUpdate;
  }
  return restorer.Finish() ? kProjectReady : kProjectNeedsUpdate;
}
