#pragma once
#include <string_view>

// atoi() without its undefined behaviour: skips leading white space (space,
// \t, \n, \v, \f, \r), takes an optional sign and the decimal digits up to the
// first other character; 0 when there are none. Values beyond the range of
// int saturate to INT_MAX or INT_MIN, so an overlong number can never wrap
// around into a small one.
int SaturatingAtoi(std::string_view text);
