#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>

// What one JPEG decode may cost, so that a small hostile file can take neither
// unbounded memory nor unbounded time.

// Memory for one decode: the library's working memory (for a progressive file
// above all its buffer of every block's coefficients, 2 bytes each) and the
// decoded bitmap together. A 200-megapixel progressive photograph needs 600 MB
// of coefficients with the usual half-resolution colour and 1.2 GB with full-
// resolution colour; 1.5 GiB holds either.
constexpr int64_t kJpegMemoryBudget = int64_t{1536} << 20;

// Scans in one file. Progressive files have about 10 (the library's standard
// script: 10 for colour, 6 for gray); an encoder tuned scan by scan makes a
// few dozen at most. Each scan walks every block of the picture once.
constexpr int kJpegMaxScans = 100;

// The start-of-scan markers before the end-of-image marker, counting stops at
// stopAfter. Marker segments are skipped by their length, so a JPEG thumbnail
// inside an APP segment does not count; entropy-coded data holds no marker.
int CountJpegScans(const QByteArray& bytes, int stopAfter);

// The reasons of the two refusals, in words for a message that names the file.
std::string TooManyScansReason();
std::string OverBudgetReason(int64_t width, int64_t height);
