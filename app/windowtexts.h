#pragma once

#include <QString>
#include <string>

// A message of the core (which is written in Japanese and knows nothing of
// translation) in the window's language: the fixed texts and the patterns
// around a file name the window can show.
QString WindowText(const std::string& message);
