#pragma once

// The codeplug file: a codeplug as JSON text that people can read, edit and
// keep under version control. One file holds every block of the layout:
//
//   {
//     "format": "xmlxsl-codeplug",
//     "version": 1,
//     "blocks": {
//       "RRW_BLOCK": [ {"field": "RRW_RGNSIZE", "value": "4096", "type": 2} ],
//       "CP_BLOCK":  { "info": [rows], "items": [ [rows], [rows] ] },
//       "PA_BLOCK":  { "info": [rows], "items": [ {"info": [rows], "items": [ [rows] ]} ] }
//     }
//   }
//
// - "blocks" holds each of the 16 blocks of the layout exactly once, under
//   its table name, in the shape of its kind: a TYPE block is an array of
//   rows; an ENTRY block an object with "info" (rows) and "items" (an array
//   of row arrays); a LIST block an object with "info" (rows) and "items", an
//   array of objects shaped like an ENTRY block.
// - A row is an object that names its field either by "field", a table name
//   of the ids 1 to 470, or by "id", any 32-bit integer, never both. "value"
//   is a string and must be there. "type" is an integer from 0 to 255 and is
//   0 when left out. The writer always writes "type", and writes "id" only
//   for ids outside 1 to 470, which an imported XML file can hold.
// - Values are the model's UTF-16 text, written as UTF-8 and read back
//   exactly: no code page is involved.
// - Anything else is refused with the place named: a key the format does not
//   have, a missing key, a JSON value of the wrong type, a key given twice in
//   one object, an unknown field or block name, a type code out of range.
//
// The writer puts the blocks in the layout's order and every row on a line
// of its own, so that two files compare well line by line.

#include <stdexcept>
#include <string>
#include <string_view>

#include "host/codeplug_model.h"

// One line that names the file and the place in it, for example
// "radio.json: blocks.PA_BLOCK.items[3]: a LIST item must be an object with
// "info" and "items"".
class CodeplugFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads the text of a codeplug file; `source` names the file in errors.
// Throws CodeplugFileError, and std::bad_alloc.
Codeplug ReadCodeplugJson(std::string_view text, std::string_view source);

// The codeplug file of the codeplug, with whichever blocks it holds. Throws
// CodeplugFileError, naming the place after "codeplug: ", for a block that
// the layout does not have or has of another kind, and for a value that is no
// UTF-16 text (a lone surrogate), which UTF-8 cannot carry.
std::string WriteCodeplugJson(const Codeplug& codeplug);
