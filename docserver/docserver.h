#pragma once

// The built-in document server: the identifiers a host or the library
// creates it with, and every status that its operations return. The
// identifiers are defined in libdocserver.so (CMake: xmlxsl::docserver;
// pkg-config: add -ldocserver); codeplug/idocumentserver.h says what a
// server of the host's own, registered under CLSID_DocumentServer, must do.
//
// A server status succeeds exactly when its low 16 bits are 0x0400
// (IsServerSuccess in codeplug/status.h), and every failure is
// negative, so a caller may test either way. Besides the statuses below,
// the COM plumbing answers with the standard results: QueryInterface gives
// E_POINTER or E_NOINTERFACE, the reserved entries E_NOTIMPL, and the class
// factory CLASS_E_NOAGGREGATION or E_OUTOFMEMORY.

#include "platform/export.h"
#include "platform/wintypes.h"

extern "C" WIN32_EXPORT const CLSID CLSID_DocumentServer;
extern "C" WIN32_EXPORT const IID IID_IDocumentServer;

// The operation did what was asked.
constexpr HRESULT DOCSERVER_S_OK = 0x00040400;

// Initialize has not been called since the server was made or last Reset.
constexpr HRESULT DOCSERVER_E_NOTINITIALIZED = static_cast<HRESULT>(0x80040401);
// The handle was never issued or predates the last Reset, NewDocument or LoadXML.
constexpr HRESULT DOCSERVER_E_BADHANDLE = static_cast<HRESULT>(0x80040402);
// No element or attribute of that name or index (also: no root element).
constexpr HRESULT DOCSERVER_E_NOTFOUND = static_cast<HRESULT>(0x80040403);
// LoadXML was given text that is not one well-formed XML document.
constexpr HRESULT DOCSERVER_E_MALFORMED = static_cast<HRESULT>(0x80040404);
// LoadXML was given a document type declaration, which could pull in files or entities.
constexpr HRESULT DOCSERVER_E_DOCTYPE = static_cast<HRESULT>(0x80040405);
// Null out pointer, negative index, depth beyond 0-1024, unknown option, bad name or UTF-16.
constexpr HRESULT DOCSERVER_E_INVALIDARG = static_cast<HRESULT>(0x80040406);
// Memory or handle numbers ran out; the document is as before (LoadXML: empty).
constexpr HRESULT DOCSERVER_E_OUTOFMEMORY = static_cast<HRESULT>(0x80040407);
// CreateElement under the document when it already has its root element.
constexpr HRESULT DOCSERVER_E_SECONDROOT = static_cast<HRESULT>(0x80040408);
// An internal error that none of the above describes.
constexpr HRESULT DOCSERVER_E_UNEXPECTED = static_cast<HRESULT>(0x80040409);
