// The module instance handle, captured when the library is attached.
#pragma once

#include <windows.h>

extern HINSTANCE ModuleInstance;
