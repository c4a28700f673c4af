#pragma once

class RunHost;
class TJPEGImage;

// The decoding settings that both loading and writing give a JPEG object,
// read from the host now: 24-bit output, "Best Quality" and "Smoothing".
void ApplyDecodeSettings(TJPEGImage& jpeg, RunHost& host);
