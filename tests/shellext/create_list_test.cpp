// List creation end to end.
#include <gtest/gtest.h>
