// Writing the installation's registry rows, and taking them back.
#pragma once

#include <string>
#include <vector>

#include "installer/install_plan.h"

// Writes the rows in order; false at the first row that fails and may not.
bool WriteRegistryRows(const std::vector<RegistryRow>& rows);

// Takes back what an installation with `choices` wrote. `previous[t]` is
// the default value the type's extension key had before (empty: none or
// ours): such a key gets that value back instead of being removed, so the
// other program's association survives a failed installation.
void RollBackRegistry(const InstallChoices& choices, const std::string previous[kListTypeCount]);
