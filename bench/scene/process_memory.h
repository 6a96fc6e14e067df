// The allocator settings both benchmark programs run under.
#pragma once

namespace scenebench {

// The software rasteriser allocates and frees large blocks every frame;
// with the allocator's defaults each goes back to the system and comes
// back as fresh zeroed pages, a kernel cost that swings both programs'
// times by a factor of three from one run to the next. Kept memory makes
// the comparison about the programs.
void KeepFreedMemory();

}  // namespace scenebench
