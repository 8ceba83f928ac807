#include "shellext/module_state_win32.h"

ShellModuleState& ShellModule() {
  static ShellModuleState state;
  return state;
}
