// The two switches an individual verification reads from "Corvana.ini",
// with the shell extension's own word rules.
#pragma once

// "UpdateDB" (default "1"): off when the value starts with '0' or is "no",
// "false" or "off" (any case); on otherwise, an empty value included.
bool UpdateDbIsOn(const char* value);

// "UppercaseExtension" (default "1"): on when the value starts with '1' or
// is "yes", "y", "true" or "on" (any case); off otherwise.
bool UppercaseExtensionIsOn(const char* value);
