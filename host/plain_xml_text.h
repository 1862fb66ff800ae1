#pragma once

// The text of a plain XML file, as `xmlxsl show` prints it and a person
// edits it, read in the encoding that its XML declaration names:
//
//   <?xml version="1.0" encoding="windows-1252"?>
//
// UTF-8 (also when there is no declaration or it names no encoding, as XML
// has it) and the code pages that the declarations of `show` name:
// windows-1250 to windows-1258, Shift_JIS, GBK, EUC-KR and Big5, in any
// letter case. A UTF-8 byte order mark is taken only before a UTF-8 text.
//
// A text whose bytes are not what it declares is refused rather than read
// wrong: bytes that are no text of the declared encoding (ill-formed UTF-8,
// a broken double-byte character), and a text saved as UTF-8 under a
// declaration of a code page: a byte order mark, or bytes above 127 that
// all form UTF-8 characters, which text written in a code page hardly ever
// does by chance.

#include <string>
#include <string_view>

// The text, in UTF-16. `path` names the file in the CommandError that
// refuses it, with the line at fault: "plain.xml: line 12 is not UTF-8 text,
// as its declaration says; ...". Throws std::bad_alloc.
std::u16string DecodePlainXml(std::string_view bytes, const std::string& path);
