#pragma once

class TBitmap;

// Turns a picture stored with EXIF Orientation 1..8 upright: 2 mirrors it,
// 3 turns it half round, 4 flips it, 5 transposes it, 6 turns it a quarter
// clockwise, 7 transposes it across the other diagonal, 8 turns it a quarter
// anticlockwise. 1 and values outside 1..8 leave it as it is. Works on 8-bit,
// 24-bit and 32-bit bitmaps; the palette stays.
void TurnUpright(TBitmap& bitmap, int orientation);
