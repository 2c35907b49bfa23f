// The main driver: its option vocabulary and its flow from the argument list to the
// product.
#pragma once

#include <string>
#include <vector>

// The main driver's entry: the program name first, then its options and inputs.
// Returns 0; every failure ends the process earlier through a fatal error.
int Main(const std::vector<std::string>& arguments);
