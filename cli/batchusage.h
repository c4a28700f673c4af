#pragma once

#include <string>

// The text of --help, naming the settings file in use.
std::string BatchUsage(const std::string& settingsFile);
