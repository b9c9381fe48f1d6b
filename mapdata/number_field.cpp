#include "mapdata/number_field.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace eld {

std::string NumberField(float v) {
    if (v == 0.0f || std::isnan(v)) v = std::isnan(v) ? v : 0.0f;  // -0 is written as 0
    std::string out(1, std::signbit(v) ? '-' : ' ');
    if (std::isnan(v)) return out + "NaN ";
    if (std::isinf(v)) return out + "Inf ";
    char buf[48];
    // to_chars ignores the locale; general form, 7 significant digits, trailing
    // zeros dropped, exactly as the classic %.7G.
    auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::general, 7);
    std::string digits(buf, r.ptr);
    size_t e = digits.find('e');
    if (e != std::string::npos) {
        // 1.5e-08 -> 1.5E-08: the exponent has at least two digits.
        std::string mant = digits.substr(0, e), exp = digits.substr(e + 1);
        char sign = '+';
        if (!exp.empty() && (exp[0] == '-' || exp[0] == '+')) {
            sign = exp[0];
            exp.erase(0, 1);
        }
        if (exp.size() < 2) exp = "0" + exp;
        digits = mant + "E" + sign + exp;
    }
    if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.') digits = digits.substr(1);
    return out + digits + " ";
}

}  // namespace eld
