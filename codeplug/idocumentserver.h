#pragma once

// The document server: an outside COM component that holds one XML document
// at a time, builds it element by element, parses text into it and gives it
// back as text. Every operation returns a server status, which succeeds
// when its top bit is clear and its low 16 bits are 0x0400 (IsServerSuccess
// in codeplug/status.h).
//
// A host may stand its own server in for the built-in one (libdocserver.so):
// it registers a class factory for CLSID_DocumentServer
// (docserver/docserver.h) with CoRegisterClassObject and CLSCTX_INPROC_SERVER
// before XMLXSL_Open, on the same thread. What the library then relies on:
//
// - Creation: XMLXSL_Open asks the factory for IClassFactory, then calls
//   CreateInstance(nullptr, IID_IDocumentServer, &object) once. It keeps
//   that one reference until XMLXSL_Close, which calls Reset and then
//   Release; exceptions from those two are swallowed.
// - Results: a status that fails the test above ends the conversion and
//   reaches the host unchanged as the exported function's status (one that
//   would read as the library's success, 0x00040700, as 0x80040706). A C++
//   exception from any other operation ends it with 0x80040706, or
//   0x80040716 for std::bad_alloc.
// - Each conversion first calls Reset and then Initialize, which must
//   succeed before anything else. Export then calls NewDocument,
//   CreateElement, SetAttribute, SetText and AppendIndent, and finally
//   GetXML(text, 1); import calls LoadXML, then FindElement, GetChildCount,
//   GetChild, GetText and GetAttribute. The document is left in the server
//   after success (XMLXSL_WriteXML reads it); after a failed export the
//   library calls Reset.
// - Strings: a BSTR argument stays the library's; a BSTR stored through an
//   out argument becomes the library's, which frees it with SysFreeString.
//   A null BSTR is an empty text.
// - Node handles: any 32-bit values but 0, which names the document
//   (CreateElement: the new element becomes the root) or the root element
//   (FindElement); the library only stores them and hands them back.
// - The text of GetXML is XML 1.0 that the library writes to the file as it
//   stands, narrowed to the ANSI code page, characters the page lacks as
//   character references; a character outside text and attribute values
//   that the page lacks fails the export with 0x80040706.
// - The reserved entries are never called; the built-in server answers
//   them with E_NOTIMPL.

#include "platform/com.h"
#include "platform/oleauto.h"

struct IDocumentServer : IUnknown {
    virtual HRESULT Reserved1() = 0;
    virtual HRESULT Reserved2() = 0;
    virtual HRESULT Reserved3() = 0;
    virtual HRESULT Reserved4() = 0;
    // Readies the server for a document; called after every Reset.
    virtual HRESULT Initialize() = 0;
    // Discards the document; its result is not looked at.
    virtual HRESULT Reset() = 0;
    // Starts an empty document (export only).
    virtual HRESULT NewDocument() = 0;
    // The whole document as text; export passes option 1, XMLXSL_WriteXML
    // its caller's option unchanged.
    virtual HRESULT GetXML(BSTR* text, LONG option) = 0;
    // Parent 0 is the document itself: the new element becomes the root.
    virtual HRESULT CreateElement(ULONG parent, ULONG* node, BSTR name) = 0;
    virtual HRESULT SetAttribute(ULONG node, BSTR name, BSTR value) = 0;
    virtual HRESULT SetText(ULONG node, BSTR text) = 0;
    // Appends the line break and indentation that start a line at depth.
    virtual HRESULT AppendIndent(ULONG node, LONG depth) = 0;
    // Replaces the document by the parse of text.
    virtual HRESULT LoadXML(BSTR text) = 0;
    // The index-th (from 0) child element of parent with that name; parent 0
    // is the root element. Fails when there is none.
    virtual HRESULT FindElement(ULONG parent, LONG index, ULONG* node, BSTR name) = 0;
    // Child elements only: text and white space do not count.
    virtual HRESULT GetChildCount(ULONG node, LONG* count) = 0;
    // The index-th (from 0) child element in document order.
    virtual HRESULT GetChild(ULONG node, LONG index, ULONG* child) = 0;
    virtual HRESULT Reserved5() = 0;
    // The element's text content.
    virtual HRESULT GetText(ULONG node, BSTR* text) = 0;
    // One attribute's value; fails when the element has no such attribute.
    virtual HRESULT GetAttribute(ULONG node, BSTR name, BSTR* value) = 0;

protected:
    ~IDocumentServer() = default;
};

// The built-in server's class, {4945E3C6-92AC-4D86-90B8-91523A011867}, and
// this interface, {0FAB1A6C-DEC2-4BA5-A0E4-802EE5EAEE5B}. The server's
// component exports them to hosts as CLSID_DocumentServer and
// IID_IDocumentServer (docserver/docserver.h); the library creates the
// server from these, and so needs no link to the component.
inline constexpr CLSID kClsidDocumentServer = {0x4945E3C6, 0x92AC, 0x4D86,
                                               {0x90, 0xB8, 0x91, 0x52, 0x3A, 0x01, 0x18, 0x67}};
inline constexpr IID kIidDocumentServer = {0x0FAB1A6C, 0xDEC2, 0x4BA5,
                                           {0xA0, 0xE4, 0x80, 0x2E, 0xE5, 0xEA, 0xEE, 0x5B}};
