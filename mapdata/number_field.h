// The number field of the peak list and the POV-Ray scene: a sign character (a
// blank for zero and positive values, '-' otherwise), the shortest general
// decimal form with at most seven significant digits and no zero before the
// decimal point (.5, -.125, 10), then one blank. '.' is the separator whatever
// the locale; tiny and huge values take the exponent form 1.5E-08.
#pragma once

#include <string>

namespace eld {

std::string NumberField(float v);

}  // namespace eld
