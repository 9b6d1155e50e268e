#pragma once

#include <string>

// Where the context-menu extension is registered. Setup's installation
// script writes, under HKEY_CLASSES_ROOT:
//
//   [*\shellex\ContextMenuHandlers\ZEBDOC]
//   @="{5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}"
//
//   [CLSID\{5e3b9a71-2c4d-4f86-9a0b-7d1e6c2f4a93}\InprocServer32]
//   @="/opt/zebdoc/lib/libzebui.so"
//   "ThreadingModel"="Apartment"
//
// The handler entry names the class for files; the class names its
// in-process server, the library to load, by its full path.

// The registry keys above (relative to HKEY_CLASSES_ROOT).
inline constexpr const char* kHandlerKey = "*\\shellex\\ContextMenuHandlers\\ZEBDOC";
std::string inprocServerKey();

// The library to load: the registered server when the handler entry names
// our class; without a handler entry, `fallback` (the library beside the
// host program, in a build tree or an installation without setup). Empty,
// with the reason in `error`, when the registration is there but unusable.
std::string locateServer(const std::string& fallback, std::string& error);

// The library beside the host program: <folder of the program>/../lib/libzebui.so.
std::string libraryBesideProgram();
