#pragma once

// Symbols of the project's shared libraries are hidden unless marked. The
// platform layer, the document server and the library each mark their own
// exports with this attribute; on Windows it would be __declspec(dllexport).
#define WIN32_EXPORT __attribute__((visibility("default")))
