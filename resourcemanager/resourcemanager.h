#pragma once

// Display names and display texts for the printable report, in the user's
// language. Linked dynamically with default symbol semantics, so a host may
// interpose both functions with its own.
//
// Languages: "English" and "German" (also "Deutsch"), in any ASCII case.
// Both functions clear their out-variant before they fill it, so it must hold
// a valid variant (VT_EMPTY will do); after a failure it is VT_EMPTY. When it
// cannot be cleared (a type VariantClear does not know) it stays untouched
// and that failure is returned, ahead of every other but a null out pointer.
//
// Replacing them. A report asks for a display name and a shown value of
// every field (XMLXSL_CreateHTML; file export asks for nothing), and
// libxmlxsl.so reaches both through the dynamic linker, which takes the
// first definition in the process's global scope: a program's own comes
// before libresourcemanager.so's. So a
// host that wants its own names or texts defines either or both in its
// program, extern "C" and with this header included, so that the definition
// is exported (default visibility) even under -fvisibility=hidden. Linking
// libxmlxsl.so exports them from the program by itself; a program that only
// loads the library with LoadLibraryA must export them on its own
// (-rdynamic, or CMake's ENABLE_EXPORTS). A definition from a shared
// library takes effect only if that library comes before
// libresourcemanager.so in load order. What the library does with the
// answers:
//
// - GetFieldName(id, language, name): name arrives VT_EMPTY and is the
//   library's, which clears it. A failure, or a success that leaves no
//   VT_BSTR, shows the field's table name ("RC_MICGAIN") instead.
// - TranslateChoice(id, english, value, language, text): english holds
//   "English", value the field's value; both are the library's. text
//   arrives VT_EMPTY. A failure ends the report with that result, unchanged;
//   a success without a VT_BSTR in text shows the value as it is.
// - Characters that XML forbids (controls other than tab, line feed and
//   carriage return; U+FFFE, U+FFFF) in either answer show as U+FFFD.

#include "platform/export.h"
#include "platform/oleauto.h"

// GetFieldName's result for a language it has no names in; the value is
// HRESULT_FROM_WIN32(ERROR_RESOURCE_LANG_NOT_FOUND), as Windows reports a
// resource missing in the asked language.
constexpr HRESULT RESOURCEMANAGER_E_UNKNOWNLANGUAGE = static_cast<HRESULT>(0x80070717);

extern "C" {

// The display name of a field id (0 to 470) in the language named by the
// VT_BSTR variant; on success *name holds a new BSTR that the caller clears.
// Fails, and the caller then shows the table name: E_POINTER for a null
// pointer, E_INVALIDARG for a language variant that holds no BSTR,
// RESOURCEMANAGER_E_UNKNOWNLANGUAGE for a language it does not know,
// DISP_E_BADINDEX for an id outside 0 to 470, E_OUTOFMEMORY; in that order.
WIN32_EXPORT HRESULT GetFieldName(LONG id, VARIANT* language, VARIANT* name);

// The text to show for a field's value: the values "0" and "1" of on/off
// fields become words of the language ("Off"/"On", "Aus"/"Ein"); every other
// value, the values of every other field or id, and every value in a
// language it does not know come back unchanged (a null BSTR stays null,
// embedded NULs stay). english is a VT_BSTR variant holding "English", not
// read otherwise; value a VT_BSTR variant holding the value text. On success
// *text holds a new BSTR that the caller clears. Fails with E_POINTER for a
// null pointer, E_INVALIDARG when value or language holds no BSTR,
// E_OUTOFMEMORY; in that order.
WIN32_EXPORT HRESULT TranslateChoice(LONG id, VARIANT* english, VARIANT* value, VARIANT* language, VARIANT* text);

}  // extern "C"
