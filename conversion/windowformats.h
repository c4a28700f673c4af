#pragma once

#include <string>
#include <vector>

struct PictureFormat;

// Which pictures the window takes: by default the three extensions it always
// took, whatever else the format table reads; with the settings' AllFormats
// on, every extension the table reads.
std::vector<std::string> WindowExtensions(bool allFormats);

// The preview's file mask for those extensions.
std::string WindowFileMask(bool allFormats);

// Whether the window reads source, found to be of format: with allFormats
// any format the table reads; else only when its extension is one of the
// three and names that format.
bool WindowReadsSource(const std::string& source, const PictureFormat& format, bool allFormats);
