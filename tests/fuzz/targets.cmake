# Each fuzz target and the layer library it exercises, for the libFuzzer build
# (tests/fuzz/CMakeLists.txt) and the replay tests (tests/CMakeLists.txt).
set(THUMBRIX_FUZZ_TARGETS
  bmp:thumbrix_conversion
  jpeg:thumbrix_conversion
  heif:thumbrix_conversion
  jxl:thumbrix_conversion
  raw:thumbrix_conversion
  png:thumbrix_conversion
  webp:thumbrix_conversion
  gif:thumbrix_conversion
  tiff:thumbrix_conversion
  profile:thumbrix_platform
  batchoptions:thumbrix_batch)
