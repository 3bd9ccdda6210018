#pragma once
// A comma as decimal point and a dot between thousands, as a French PC has them: install it
// with std::locale::global to check that file bytes do not follow the locale.
#include <locale>
#include <string>

struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};
