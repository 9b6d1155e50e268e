#pragma once

// Symbols of libzebcore are hidden unless marked with ZEBCORE_API.
#define ZEBCORE_API __attribute__((visibility("default")))
