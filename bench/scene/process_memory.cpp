#include "process_memory.h"

#include <malloc.h>

namespace scenebench {

void KeepFreedMemory() {
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

}  // namespace scenebench
