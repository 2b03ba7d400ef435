// Calls machine code whose address is known only at run time, passing ten
// (or five) 32-bit values as stack arguments. Works for callees that clear
// their own arguments and for those that leave it to the caller.
#pragma once
#include <cstdint>

extern "C" {
std::uint32_t call_native10(std::uint32_t code, std::uint32_t v1 = 0, std::uint32_t v2 = 0,
                            std::uint32_t v3 = 0, std::uint32_t v4 = 0, std::uint32_t v5 = 0,
                            std::uint32_t v6 = 0, std::uint32_t v7 = 0, std::uint32_t v8 = 0,
                            std::uint32_t v9 = 0, std::uint32_t v10 = 0);
std::uint32_t call_native5(std::uint32_t code, std::uint32_t v1 = 0, std::uint32_t v2 = 0,
                           std::uint32_t v3 = 0, std::uint32_t v4 = 0, std::uint32_t v5 = 0);
}
