// Every Win32 service of the platform layer.
#pragma once

#include "win32/types.h"
#include "win32/errors.h"
#include "win32/handle.h"
#include "win32/library.h"
#include "win32/sync.h"
#include "win32/thread.h"
#include "win32/file.h"
#include "win32/env.h"
#include "win32/registry.h"
#include "win32/messagebox.h"
#include "win32/datetime.h"
#include "win32/com.h"
#include "win32/misc.h"
#include "win32/process.h"
#include "win32/messages.h"
#include "win32/window.h"
