#include "virus/record_array.h"

#include <cstdlib>

RecordArrayRealloc g_recordArrayRealloc = &std::realloc;

void RecordArrayFree(void* block) { std::free(block); }
