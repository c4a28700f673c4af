#pragma once

#include <cstddef>

// Asks the system to back the whole huge pages (2 MiB) inside a buffer not yet
// written with huge pages: a picture or a file read whole is written once from
// end to end, and a fault for every 4 KiB page of it cost as much as decoding
// a PNG file into it. Only advice: where huge pages are off, nothing changes.
void AdviseHugePages(void* data, size_t bytes);
