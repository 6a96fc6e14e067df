// The built plug-in libraries: each is found under its file name, reports its
// own type record and creates a channel of the expected interface.
#include "directory_channel.h"
#include "file_channels.h"
#include "file_dialog_channel.h"
#include "guid_util.h"
#include "test_support.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

struct Plugin {
  const char* file;
  const char* name;
  const GUID* type;
};

void PrintTo(const Plugin& plugin, std::ostream* out) { *out << plugin.file; }

class PluginContract : public ::testing::TestWithParam<Plugin> {
 protected:
  void SetUp() override {
    const char* dist = std::getenv("KELVANE_DIST");
    if (!dist) GTEST_SKIP() << "KELVANE_DIST is not set";
    std::string path = std::string(dist) + "/channels/" + GetParam().file;
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(handle, nullptr) << dlerror();
  }
  void TearDown() override {
    if (handle) dlclose(handle);
  }

  Orn_Channel* Create() {
    auto init = reinterpret_cast<Orn_Channel* (*)()>(dlsym(handle, "InitDLL"));
    return init ? init() : nullptr;
  }

  void* handle = nullptr;
};

TEST_P(PluginContract, ReportsItsOwnTypeRecord) {
  auto getType = reinterpret_cast<ChannelType* (*)()>(dlsym(handle, "GetType"));
  ASSERT_NE(getType, nullptr);
  ChannelType* record = getType();
  ASSERT_NE(record, nullptr);
  EXPECT_STREQ(record->name, GetParam().name);
  EXPECT_EQ(GuidToString(record->type), GuidToString(*GetParam().type));
  EXPECT_EQ(GuidToString(record->baseType), GuidToString(*GetParam().type));
  EXPECT_EQ(record->version[0], 1);
  EXPECT_EQ(record->version[1], 25);
  EXPECT_EQ(record->version[2], 1);
  EXPECT_EQ(record->flag, 0);
}

TEST_P(PluginContract, CreatesAChannelOfItsInterface) {
  std::unique_ptr<Orn_Channel> channel(Create());
  ASSERT_NE(channel, nullptr);
  GUID type = *GetParam().type;
  if (type == kFileLoaderChannelType) {
    auto* loader = dynamic_cast<Vel_FileLoaderChannel*>(channel.get());
    ASSERT_NE(loader, nullptr);
    char bytes[] = "ORNG";
    loader->SetBuffer(bytes, 4, true);
    EXPECT_TRUE(loader->GetInfoIfTag("ORNG"));
  } else if (type == kFileSaverChannelType) {
    auto* saver = dynamic_cast<FileSaverChannel*>(channel.get());
    ASSERT_NE(saver, nullptr);
    saver->OpenMemory();
    EXPECT_EQ(saver->SaveTag("ORNG"), 4);
  } else if (type == kDirectoryChannelType) {
    EXPECT_NE(dynamic_cast<DirectoryChannel*>(channel.get()), nullptr);
  } else {
    EXPECT_NE(dynamic_cast<FileDialogChannel*>(channel.get()), nullptr);
  }
  EXPECT_EQ(GuidToString(channel->GetChannelType().type), GuidToString(type));
}

INSTANTIATE_TEST_SUITE_P(
    StandardChannels, PluginContract,
    ::testing::Values(Plugin{"C2A94E17-5B83-4D60-A7F1-0E9D36B8C254.so", "File Loader", &kFileLoaderChannelType},
                      Plugin{"6F02C8B1-E4D7-4A39-B5E0-27C9136DA4F5.so", "File Saver", &kFileSaverChannelType},
                      Plugin{"Directory.so", "Directory", &kDirectoryChannelType},
                      Plugin{"6A1F3C58-92D7-4B0E-8C35-F24A71D09B63.so", "File Dialog", &kFileDialogChannelType}),
    [](const ::testing::TestParamInfo<Plugin>& info) {
      std::string name = info.param.name;
      name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
      return name;
    });

}  // namespace
