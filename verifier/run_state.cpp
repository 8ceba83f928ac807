#include "verifier/run_state.h"

VerifierState g_verifier;
