// The process-wide state as at the program's start for as long as a scope
// lives, and put back so when it ends, so that no test inherits another's.
// SharedStateScope: the shared generators and the input switches
// (engine/process_state.h), for tests whose pictures draw on the generators
// or that set the switches. StyleTableScope: the current values of the style
// table (engine/style_table.h), for tests that store into it, as the dialogs
// do.
#pragma once

#include "engine/process_state.h"
#include "engine/style_table.h"

namespace brindlemar::testing {

struct SharedStateScope {
  SharedStateScope() { ResetProcessState(); }
  ~SharedStateScope() { ResetProcessState(); }
  SharedStateScope(const SharedStateScope&) = delete;
  SharedStateScope& operator=(const SharedStateScope&) = delete;
};

struct StyleTableScope {
  StyleTableScope() { ResetStyleTable(); }
  ~StyleTableScope() { ResetStyleTable(); }
  StyleTableScope(const StyleTableScope&) = delete;
  StyleTableScope& operator=(const StyleTableScope&) = delete;
};

}  // namespace brindlemar::testing
