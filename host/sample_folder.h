#pragma once

// Where the program finds the bundled sample when not told: the folder that
// it was installed with, found from where the program itself lies, so that
// an installation works wherever it is moved.

#include <string>

// The folder XMLXSL_SAMPLES_FROM_PROGRAM names relative to the program's own
// folder: share/xmlxsl beside the installation's bin/, and in the build tree
// a link there to the source's samples/. "samples" when the program cannot
// tell where it lies. Throws std::bad_alloc.
std::string InstalledSampleFolder();
