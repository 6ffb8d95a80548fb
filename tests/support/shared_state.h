// The process-wide state (engine/process_state.h: the shared generators and
// the input switches) as at the program's start for as long as a scope lives,
// and put back so when it ends: for tests whose pictures draw on the shared
// generators or that set the switches, so that none inherits another's.
#pragma once

#include "engine/process_state.h"

namespace brindlemar::testing {

struct SharedStateScope {
  SharedStateScope() { ResetProcessState(); }
  ~SharedStateScope() { ResetProcessState(); }
  SharedStateScope(const SharedStateScope&) = delete;
  SharedStateScope& operator=(const SharedStateScope&) = delete;
};

}  // namespace brindlemar::testing
