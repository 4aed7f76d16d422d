#include "text/item_list.h"

#include <string_view>

#include "text/ascii.h"

bool EqualNoCase(const char* a, const char* b) {
    if (!a || !b)
        return a == b;
    // A C text ends at its first NUL: what a buffer holds after one is not compared.
    return EqualNoCase(std::string_view(a), std::string_view(b));
}
