// The exports run inside the host's process: nothing thrown may reach it.
#pragma once

#include <new>

#include "spi/plugin_api.h"

// The body's result; a lack of memory is result 4 and anything else thrown
// result 8, with whatever the body held already given back by its owners.
template <typename Body>
int GuardedCall(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return kResultNoMemory;
  } catch (...) {
    return kResultInternalError;
  }
}
