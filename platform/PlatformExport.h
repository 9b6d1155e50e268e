#pragma once

// Symbols of libzebplatform are hidden unless marked with ZEBPLATFORM_API.
#define ZEBPLATFORM_API __attribute__((visibility("default")))
