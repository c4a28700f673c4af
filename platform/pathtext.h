#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

// A path is the bytes the file system holds, whether or not they are valid
// UTF-8 (café.jpg in Latin-1, 写真.jpg in Shift-JIS from an old archive).
// Widgets hold QStrings; these carry a path through a QString and back
// without changing a byte.

// The length of the valid UTF-8 sequence at the start of s, and its code
// point in code; 0 when it is none (overlong forms, surrogates and values past
// U+10FFFF are not).
size_t Utf8Sequence(std::string_view s, char32_t& code);

// Valid UTF-8 becomes its characters; each byte of an invalid sequence
// becomes a lone low surrogate, U+DC80 to U+DCFF (as Python's
// "surrogateescape"), which no valid UTF-8 yields.
QString PathText(std::string_view bytes);

// The bytes PathText took: the characters as UTF-8, each escaped byte as itself.
std::string PathBytes(const QString& text);

// For the eye only: every escaped byte shown as U+FFFD. Never a path.
QString ShownText(const QString& text);

// The local paths that a "text/uri-list" drop names ("file:///a/b%20c.jpg"),
// percent-decoded to the bytes they stand for, in order. Other schemes and
// comment lines are left out.
std::vector<std::string> LocalPathsOfUriList(std::string_view list);
