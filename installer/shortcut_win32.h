// The desktop shortcut to the installed verifier.
#pragma once

#include <string>

// Saves a shell link at `linkPath` to `target` with `description`, replacing
// an earlier one only when the new one is complete; the component library is
// initialised around the work. False on any failure.
bool CreateShortcut(const std::string& target, const std::string& linkPath,
                    const std::string& description);
