#pragma once

#include <string>
#include <system_error>

// Makes a folder and every missing folder above it. A folder that another
// process makes at the same moment is no error. Returns the first error.
std::error_code MakeFolders(const std::string& path);
