// Writing a bundled project: the project file naming its start group and the
// channel libraries it needs (each with an embedded copy of its file), and a
// few helpers the demo makers share.
#pragma once

#include "engine_interface.h"
#include "orn_channel.h"
#include "orn_channel_group.h"

#include <filesystem>
#include <vector>

namespace demos {

// The project file `file` with start group `startGroup` and the libraries of
// `channelTypes`.
bool WriteProject(EngineInterface* engine, const std::filesystem::path& file, const char* startGroup,
                  const std::vector<GUID>& channelTypes);

// A channel of `type` in `group` named `name` (its declared children created
// with it when `withChildren`); null when the type's plug-in is missing.
Orn_Channel* MakeChannel(EngineInterface* engine, Orn_ChannelGroup* group, const GUID& type, const char* name,
                         bool withChildren = false);

// Links `child` into `slot` of `parent`; false when either is missing or the
// parent refuses.
bool Link(Orn_Channel* parent, Orn_Channel* child, int slot);

}  // namespace demos
