#pragma once

// The open XML document table: which locked file belongs to which codeplug
// object. The key is the codeplug object's address, as the host passes it to
// XMLXSL_CloseXMLFile; the table owns the file objects and closes whatever
// it still holds when the library unloads.

#include <cstdint>
#include <map>
#include <memory>

#include "platform/file.h"

using OpenXMLFiles = std::map<std::uintptr_t, std::unique_ptr<CFile>>;

extern OpenXMLFiles gOpenXMLFiles;
