#pragma once
// Java's Double.toString and Float.toString, which the expected values were written
// with: the shortest digits that read back to the same value; plain notation for
// magnitudes in [1e-3, 1e7) ("12345.5", "0.001", "-0.0"), otherwise "d.dddE<exp>"
// ("1.0E-30", "3.4028235E38"); "NaN", "Infinity", "-Infinity".

#include <string>

namespace velmora::access::testing {

std::string javaDoubleText(double value);
std::string javaFloatText(float value);

}  // namespace velmora::access::testing
