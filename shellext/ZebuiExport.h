#pragma once

// Symbols of libzebui are hidden unless marked with ZEBUI_API: the two entry
// points, the revision picker and, in test builds, the prompts seam.
#define ZEBUI_API __attribute__((visibility("default")))
