#pragma once
// Figures as the command line and the window's tables write them.

#include <string>

namespace app {

// value in a printf format for one double ("%.3f", "%.6g").
std::string formatted(double value, const char* format);
// Three decimals ("12.346"), four significant digits ("0.0001235").
std::string decimals3(double value);
std::string significant4(double value);
// A p-value with four significant digits; one too small for a double reads "< 1e-300", not 0.
std::string pValueText(double value);
// A share as a percentage with two decimals ("12.35%").
std::string percent2(double share);
// A chance as the fraction it is, with its percentage ("5/11（45.45%）"); a chance that is no
// fraction of a denominator up to 1000, as the percentage alone.
std::string chanceText(double chance);

} // namespace app
