#pragma once

// What `xmlxsl check` prints of its findings: a line each for people, or
// one JSON document for scripts (its shape is in the README).

#include <string>
#include <vector>

#include "host/codeplug_check.h"
#include "host/field_display_names.h"

bool HasErrors(const std::vector<Finding>& findings) noexcept;

// A line for each finding, its field by display name, then a count:
//
//   error: CP_BLOCK, channel 8 "Hospital Link", Transmit only: the channel is receive-only and transmit-only at once
//   warning: RI_BLOCK, Lowest band frequency: the identity block states no band ...
//   radio.json: 1 error, 1 warning
//
// `file` names the codeplug as the user gave it.
std::string FindingsText(const std::string& file, const Codeplug& codeplug, const std::vector<Finding>& findings,
                         const FieldDisplayNames& names);

std::string FindingsJson(const std::string& file, const Codeplug& codeplug, const std::vector<Finding>& findings,
                         const FieldDisplayNames& names);
