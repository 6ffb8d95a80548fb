// AddressSanitizer's settings for the fuzz targets. Each input allocates
// afresh, so a quarantine of 16 MB holds the memory of a hundred inputs and
// more, enough to catch a use after free; the default 256 MB, and filling
// each new block, mostly cost page faults (a third of the record target's
// time).
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=16:max_malloc_fill_size=0"; }
