// The skin engine image and the skin file held in the program's constant
// data (generated at build time from the built engine DLL and skin file).
// A build without the engine holds empty blocks.
#pragma once
#include <cstddef>

extern "C" {
extern const unsigned char tc_stored_engine_image[];
extern const std::size_t tc_stored_engine_image_size;
extern const unsigned char tc_stored_skin_file[];
extern const std::size_t tc_stored_skin_file_size;
}
