// Type GUIDs of the standard channels the core itself creates.
#include "directory_channel.h"
#include "file_channels.h"
#include "file_dialog_channel.h"
#include "guid_util.h"

const GUID kFileLoaderChannelType = GuidLiteral("C2A94E17-5B83-4D60-A7F1-0E9D36B8C254");
const GUID kFileSaverChannelType = GuidLiteral("6F02C8B1-E4D7-4A39-B5E0-27C9136DA4F5");
const GUID kFileDialogChannelType = GuidLiteral("6A1F3C58-92D7-4B0E-8C35-F24A71D09B63");
const GUID kDirectoryChannelType = GuidLiteral("D1E6B3A0-4C72-4F85-9A1D-3B8E07C5F962");
