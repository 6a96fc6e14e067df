// Shared fixtures of the standard-channel tests: a message receiver that keeps
// what it is sent, an engine facade that creates the standard channels in
// this process, and a scratch directory.
#pragma once

#include "captured_messages.h"

#include "chunk_file_loader.h"
#include "chunk_file_saver.h"
#include "engine_interface.h"
#include "messages.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

// An engine facade without engine object whose InitChannelFromType makes the
// loader and saver channels in this process. Each type can be switched off,
// or answered with a channel of the other class.
class InProcessEngine : public EngineInterface {
 public:
  InProcessEngine() : EngineInterface(WithoutEngine{}) {}

  using EngineInterface::InitChannelFromType;
  Orn_Channel* InitChannelFromType(GUID type, Orn_ChannelGroup*, bool) override {
    ++created;
    if (type == kFileLoaderChannelType && hasLoader) {
      if (swapClasses) return new Vel_ChunkFileSaver;
      return new Vel_ChunkFileLoader;
    }
    if (type == kFileSaverChannelType && hasSaver) {
      if (swapClasses) return new Vel_ChunkFileLoader;
      return new Vel_ChunkFileSaver;
    }
    return nullptr;
  }

  bool hasLoader = true;
  bool hasSaver = true;
  bool swapClasses = false;
  int created = 0;
};

// A fresh directory under the system's temporary directory, removed with its
// contents afterwards.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kelvane-stdch-XXXXXX").string();
    std::vector<char> text(pattern.begin(), pattern.end());
    text.push_back('\0');
    char* made = mkdtemp(text.data());
    path = made ? made : "";
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path, ignored);
  }
  std::string File(const std::string& name) const { return path + "/" + name; }

  std::string path;
};

std::vector<char> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::vector<char>& bytes);
// Little-endian encoding of a block size, as the loader reads it.
void PutSize(std::vector<char>* out, uint32_t size);
void PutText(std::vector<char>* out, const char* text);
