#include "channel_list.h"

#include "directory_channel.h"
#include "engine_interface.h"
#include "file_channels.h"
#include "guid_util.h"
#include "orn_channel.h"
#include "text_util.h"
#include "win32/file.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
std::string InstallPath(EngineInterface* engine, const char* tail) {
  const char* dir = engine ? engine->GetInstallDir() : nullptr;
  return std::string(dir ? dir : "") + kPathSeparator + tail;
}

// The library file of a standard channel in the channels directory.
std::string StandardChannelFile(EngineInterface* engine, const char* fileName) {
  return InstallPath(engine, (std::string("channels") + kPathSeparator + fileName).c_str());
}

bool FileExistsIn(const char* dir, const char* file) {
  if (!file || !file[0]) return false;
  std::string path = file;
  if (path[0] != kPathSeparator && dir && dir[0]) path = std::string(dir) + kPathSeparator + path;
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}
}  // namespace

ChannelList::ChannelList(EngineInterface* engineInterface) : channelDir{}, engine(engineInterface) {}

ChannelList::~ChannelList() {
  SortChannelList();
  SaveChannelList();
  Release();
}

void ChannelList::Release() {
  for (int i = 0; i < items.GetItemCount(); ++i) delete static_cast<ChannelListItem*>(items.GetItem(i));
  items.ReleaseItems();
}

void ChannelList::SortChannelList() {}

void ChannelList::SetChannelDir(char* dir) {
  if (dir) CopyText(channelDir, sizeof channelDir, dir);
}

bool ChannelList::CreateChannelList() {
  Release();
  LoadChannelList();
  std::string dir = InstallPath(engine, "channels");
  CopyText(channelDir, sizeof channelDir, dir.c_str());
  AddDirectory(channelDir, -1);
  return true;
}

bool ChannelList::LoadChannelList() {
  if (!engine || !engine->ext) return false;
  std::string path = InstallPath(engine, "channel.lst");
  std::string loaderFile = StandardChannelFile(engine, (GuidToString(kFileLoaderChannelType) + ".dll").c_str());
  std::unique_ptr<DllInterface> object(engine->ext->GetDLLInstance(loaderFile.c_str()));
  Vel_FileLoaderChannel* loader = dynamic_cast<Vel_FileLoaderChannel*>(object.get());
  if (!loader) return false;
  if (!loader->LoadFile(path.c_str())) return false;
  if (!ReadCache(loader, engine->GetInstallDir())) {
    // A cache that cannot be read is dropped whole; the directory scan builds
    // the list again.
    Release();
    return false;
  }
  return true;
}

bool ChannelList::ReadCache(Vel_FileLoaderChannel* loader, const char* installDir) {
  int32_t count = 0;
  if (loader->GetInfoIfTag("CLCC") && !loader->CopyTagDataChecked(&count, sizeof count)) return false;
  if (count == 0) return true;
  if (count < 0 || count > kMaxCachedItems) return false;
  for (int i = 0; i < count; ++i) {
    std::unique_ptr<ChannelListItem> item(new ChannelListItem);
    std::memset(static_cast<void*>(&item->type), 0, sizeof item->type);
    if (loader->GetInfoIfTag("CHIX") && !loader->CopyTagDataChecked(&item->index, sizeof item->index)) return false;
    if (loader->GetInfoIfTag("CHTY")) {
      if (!loader->CopyTagDataChecked(&item->type, sizeof item->type)) return false;
      item->type.name[sizeof item->type.name - 1] = '\0';
    }
    if (loader->GetInfoIfTag("CHFN")) {
      unsigned long size = loader->GetSizeDataBlock(false);
      if (size == 0 || size > 4096) return false;
      std::string name(size, '\0');
      if (!loader->CopyTagDataChecked(name.data(), size)) return false;
      item->fileName.SetString(name.c_str());
      item->onDisk = FileExistsIn(installDir, item->fileName.GetString());
    }
    if (item->index < 0 || item->index >= kMaxCachedItems) return false;
    int slot = item->index;
    delete static_cast<ChannelListItem*>(items.GetItem(slot));
    items.SetItem(item.release(), slot);
  }
  if (loader->GetInfoIfTag("CHDI")) {
    char dir[260] = {};
    if (!loader->CopyTagDataChecked(dir, sizeof dir)) return false;
    dir[sizeof dir - 1] = '\0';
    if (!EqualsIgnoreCase(dir, installDir ? installDir : "")) return false;
  }
  return true;
}

bool ChannelList::SaveChannelList() {
  if (!engine) return false;
  std::unique_ptr<Orn_Channel> object(engine->InitChannelFromType(kFileSaverChannelType, nullptr, false));
  FileSaverChannel* saver = dynamic_cast<FileSaverChannel*>(object.get());
  if (!saver) return false;
  std::string path = InstallPath(engine, "channel.lst");
  if (!saver->OpenSaveFile(path.c_str(), false)) return false;
  int32_t count = items.GetItemCount();
  saver->SaveTag("CLCC");
  saver->SaveBlockSize(sizeof count);
  saver->SaveDataToFile(&count, sizeof count);
  for (int i = 0; i < count; ++i) {
    ChannelListItem* item = static_cast<ChannelListItem*>(items.GetItem(i));
    ChannelListItem hole;
    if (!item) {
      // A hole keeps its slot; it names no type and no file.
      std::memset(static_cast<void*>(&hole.type), 0, sizeof hole.type);
      hole.index = i;
      item = &hole;
    }
    saver->SaveTag("CHIX");
    saver->SaveBlockSize(sizeof item->index);
    saver->SaveDataToFile(&item->index, sizeof item->index);
    saver->SaveTag("CHTY");
    saver->SaveBlockSize(sizeof item->type);
    saver->SaveDataToFile(&item->type, sizeof item->type);
    saver->SaveTag("CHFN");
    const char* name = item->fileName.GetString();
    if (name) {
      unsigned long size = std::strlen(name) + 1;
      saver->SaveBlockSize(size);
      saver->SaveDataToFile(name, size);
    } else {
      char error[20] = "Save Error";
      saver->SaveBlockSize(sizeof error);
      saver->SaveDataToFile(error, sizeof error);
    }
  }
  char dir[260] = {};
  CopyText(dir, sizeof dir, engine->GetInstallDir());
  saver->SaveTag("CHDI");
  saver->SaveBlockSize(sizeof dir);
  saver->SaveDataToFile(dir, sizeof dir);
  saver->CloseSaveFile();
  return saver->GetSaveingFileName() != nullptr;
}

void ChannelList::AddDirectory(char* dir, int depth) {
  if (!engine || !engine->ext || !dir) return;
  std::string listerFile = StandardChannelFile(engine, "Directory.dll");
  std::unique_ptr<DllInterface> object(engine->ext->GetDLLInstance(listerFile.c_str()));
  DirectoryChannel* lister = dynamic_cast<DirectoryChannel*>(object.get());
  if (!lister) return;
  lister->SetFileFilter("DLL");
  std::string pattern = std::string(dir) + kPathSeparator + "*.*";
  lister->SetPath(pattern.c_str());
  for (int i = 0; i < lister->GetFileCount(); ++i) {
    const char* file = lister->GetFileName(i);
    if (!file) continue;
    std::string path = std::string(dir) + kPathSeparator + file;
    bool known = false;
    for (int k = 0; k < items.GetItemCount() && !known; ++k) {
      ChannelListItem* item = static_cast<ChannelListItem*>(items.GetItem(k));
      known = item && item->onDisk && EqualsIgnoreCase(item->fileName.GetString(), path.c_str());
    }
    if (known) continue;
    ChannelType record = engine->ext->GetDLLType(path.c_str());
    if (GuidIsZero(record.type)) continue;
    ChannelListItem* item = new ChannelListItem;
    item->type = record;
    item->fileName.SetString(path.c_str());
    item->onDisk = true;
    item->typeChecked = true;
    if (!AddItem(item)) delete item;
  }
  // Names are copied first: the recursion reuses no state of this lister, but
  // the list is cleaner to walk before descending.
  std::vector<std::string> subdirs;
  for (int i = 0; i < lister->GetDirectoryCount(); ++i) {
    const char* name = lister->GetDirectoryName(i);
    if (!name || !std::strcmp(name, ".") || !std::strcmp(name, "..")) continue;
    subdirs.push_back(std::string(dir) + kPathSeparator + name);
  }
  object.reset();
  for (std::string& sub : subdirs) {
    char subdir[260];
    CopyText(subdir, sizeof subdir, sub.c_str());
    AddDirectory(subdir, depth);
  }
}

bool ChannelList::AddItem(ChannelListItem* item) {
  if (!item) return false;
  if (GetItem(item->type.type)) return false;
  item->index = items.AddItemOrNULL(item);
  return true;
}

ChannelListItem* ChannelList::AddItemFromFile(char* file) {
  if (!engine || !engine->ext) return nullptr;
  ChannelType record = engine->ext->GetDLLType(file);
  if (GuidIsZero(record.type)) {
    engine->errorFunctor("ChannelList::AddItemFromFile: Could not get the channeltype from the downloaded channel");
    return nullptr;
  }
  ChannelListItem* item = GetItem(record.type);
  bool fresh = item == nullptr;
  if (fresh) item = new ChannelListItem;
  item->fileName.SetString(file);
  item->type = record;
  item->onDisk = true;
  item->typeChecked = true;
  if (fresh && !AddItem(item)) {
    delete item;
    return nullptr;
  }
  return item;
}

ChannelListItem* ChannelList::GetItem(GUID type) {
  for (int i = 0; i < items.GetItemCount(); ++i) {
    ChannelListItem* item = static_cast<ChannelListItem*>(items.GetItem(i));
    if (item && item->type.type == type) return item;
  }
  return nullptr;
}

ChannelListItem* ChannelList::GetItem(int slot) { return static_cast<ChannelListItem*>(items.GetItem(slot)); }

int ChannelList::GetItemCount() { return items.GetItemCount(); }

bool ChannelList::GetOnDisk(GUID type) {
  ChannelListItem* item = GetItem(type);
  return item && item->onDisk;
}

ChannelType ChannelList::GetChannelType(GUID type) {
  ChannelListItem* item = GetItem(type);
  return item ? item->type : ChannelType();
}

unsigned long ChannelList::Char2Hex(char digit, int power) {
  unsigned long value = 0;
  if (digit >= '1' && digit <= '9') value = static_cast<unsigned long>(digit - '0');
  else if (digit >= 'A' && digit <= 'F') value = static_cast<unsigned long>(digit - 'A' + 10);
  for (int i = 0; i < power; ++i) value *= 16;
  return value;
}

void ChannelList::CheckChannelUpdate(Orn_Channel* channel) {
  if (!channel || !engine || !engine->ext) return;
  ChannelType own = channel->GetChannelType();
  if (GuidIsZero(own.type)) return;
  for (int i = 0; i < items.GetItemCount(); ++i) {
    ChannelListItem* item = static_cast<ChannelListItem*>(items.GetItem(i));
    if (!item || item->type.type != own.type || item->type.baseType != own.baseType) continue;
    if (item->type.version[0] == own.version[0] && item->type.version[1] == own.version[1] &&
        item->type.version[2] == own.version[2])
      continue;
    item->type = engine->ext->GetDLLType(channel->dll);
  }
}

void ChannelList::SetVersionInfo(GUID type, int version[3]) {
  ChannelListItem* item = GetItem(type);
  if (!item || !version) return;
  for (int i = 0; i < 3; ++i) item->type.version[i] = version[i];
}
