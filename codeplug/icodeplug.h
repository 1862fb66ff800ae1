#pragma once

// The host's codeplug object: reads and writes one whole block at a time.
// Its GetBlock and SetBlock may fail with a negative HRESULT or throw a C++
// exception; both are part of the contract.
//
// The library calls nothing but GetBlock and SetBlock (never the reserved
// entries, QueryInterface, AddRef or Release), only during the exported
// call that was given the object, on the caller's thread. It takes no
// reference: the object's address is its handle (XMLXSL_CloseXMLFile).
//
// GetBlock(fieldId, block): *block arrives VT_EMPTY; the object fills it
// with a new block variant that the library then owns and clears. A
// negative result is passed on to the caller unchanged (0x80040711,
// XMLXSL_E_GETBLOCK, when it throws instead), and so ends the export.
//
// SetBlock(fieldId, block): the variant stays the library's, which clears it
// when SetBlock returns; the object copies what it keeps (VariantCopy, or
// reading the values out). A negative result is passed on unchanged
// (0x80040710, XMLXSL_E_SETBLOCK, when it throws) and ends the import; the
// blocks set before it stay set.
//
// The blocks, in the order in which both directions walk them, with their
// field ids and kinds:
//
//   region RRO   MDF_BLOCK 2 ENTRY, RI_BLOCK 3 ENTRY
//   region RRW   RRW_BLOCK 1 TYPE, TC_BLOCK 453 TYPE, VECT_BLOCK 454 TYPE,
//                TI_BLOCK 4 ENTRY, RC_BLOCK 5 ENTRY, DR_BLOCK 8 ENTRY,
//                AC_BLOCK 19 ENTRY, CB_BLOCK 15 ENTRY, SC_BLOCK 40 ENTRY,
//                MDC_BLOCK 41 ENTRY, QC_BLOCK 42 ENTRY, CP_BLOCK 38 ENTRY,
//                PA_BLOCK 6 LIST, SLI_BLOCK 13 LIST
//
// Block variants
// --------------
// Every block, and every array inside one, is a VARIANT of type
// VT_ARRAY | VT_VARIANT (0x200C) holding a SAFEARRAY of VARIANTs. Indices
// list dimension 1 first, as SafeArrayGetElement and SafeArrayPutElement
// take them. The library builds every array with lower bound 0; it reads
// any lower bound, walking dimension 1 from its lower to its upper bound,
// but a TYPE array's columns must be 0, 1 and 2, and an ENTRY or LIST
// array's two parts must be at 0 and 1.
//
//   TYPE   two dimensions: dimension 1 the rows, one per field; dimension 2
//          the three columns. Cell {row, 0} VT_I4 the field id (1 to 470;
//          export refuses any other with 0x8004070E, XMLXSL_E_FIELDID),
//          {row, 1} VT_BSTR the value as text (a null BSTR is an empty
//          value; U+0000 or a lone surrogate fails with 0x80040709), {row, 2} VT_UI1 the field's type code (0 to 255, carried
//          and never read). Made by SafeArrayCreate(VT_VARIANT, 2, b) with
//          SAFEARRAYBOUND b[] = {{rows, 0}, {3, 0}}.
//   ENTRY  one dimension of two elements: [0] the info part, a TYPE array;
//          [1] the items, one dimension of any number of TYPE arrays.
//   LIST   like ENTRY, but each item is itself an ENTRY array: [0] the
//          info part, a TYPE array; [1] one dimension of ENTRY arrays.
//
// A block of any kind may be empty: a TYPE array of 0 rows; an ENTRY or LIST
// array whose info part has 0 rows and whose items have 0 elements. An
// array of another type, shape or number of dimensions fails the export
// with 0x80040708 (XMLXSL_E_BLOCKSHAPE), a cell of the wrong type with
// 0x80040709 (XMLXSL_E_GETELEMENT).
//
// Worked examples, with the XML each becomes in the file (line breaks and
// indentation shortened; ids from the library's field table):
//
//   A TYPE block of two fields, RRW_BLOCK (1):
//     RRW_RGNSIZE (100) = "4096", type 2;  RRW_VECTBLKVECT (102) = "16", type 2
//       block    VT_ARRAY|VT_VARIANT, 2 x 3, bounds {2, 0}, {3, 0}
//       {0,0} VT_I4 100   {0,1} VT_BSTR "4096"   {0,2} VT_UI1 2
//       {1,0} VT_I4 102   {1,1} VT_BSTR "16"     {1,2} VT_UI1 2
//     and in the XML file:
//       <RRW_BLOCK ID="1">
//         <RRW_RGNSIZE ID="100" TYPE="2">4096</RRW_RGNSIZE>
//         <RRW_VECTBLKVECT ID="102" TYPE="2">16</RRW_VECTBLKVECT>
//       </RRW_BLOCK>
//
//   An ENTRY block of one item, CP_BLOCK (38): info CP_RXREFFREQ (380) =
//   "6.25"; one channel of CP_RXFREQ (455) = "450.12500" and ALIAS (424)
//   = "Fire 1":
//       block    VT_ARRAY|VT_VARIANT, 1 dimension, 2 elements
//       [0]      TYPE 1 x 3:  {0,0} 380  {0,1} "6.25"  {0,2} 0
//       [1]      VT_ARRAY|VT_VARIANT, 1 dimension, 1 element
//         [1][0] TYPE 2 x 3:  {0,0} 455  {0,1} "450.12500"  {0,2} 7
//                             {1,0} 424  {1,1} "Fire 1"     {1,2} 9
//     and in the XML file:
//       <CP_BLOCK ID="38">
//         <ENTRY_INFO><CP_RXREFFREQ ID="380" TYPE="0">6.25</CP_RXREFFREQ></ENTRY_INFO>
//         <ENTRY_DATA><CP_RXFREQ ID="455" TYPE="7">450.12500</CP_RXFREQ>
//                     <ALIAS ID="424" TYPE="9">Fire 1</ALIAS></ENTRY_DATA>
//       </CP_BLOCK>
//
//   A LIST block of one list with one item, PA_BLOCK (6): no info of its
//   own; one zone whose info is PA_ZONEALIAS (428) = "North" and whose one
//   member is PA_PERSINDEX (427) = "0":
//       block    VT_ARRAY|VT_VARIANT, 1 dimension, 2 elements
//       [0]      TYPE 0 x 3 (no rows)
//       [1]      VT_ARRAY|VT_VARIANT, 1 dimension, 1 element
//         [1][0]     ENTRY: VT_ARRAY|VT_VARIANT, 1 dimension, 2 elements
//           [1][0][0]    TYPE 1 x 3:  {0,0} 428  {0,1} "North"  {0,2} 9
//           [1][0][1]    VT_ARRAY|VT_VARIANT, 1 dimension, 1 element
//             [1][0][1][0]   TYPE 1 x 3:  {0,0} 427  {0,1} "0"  {0,2} 1
//     and in the XML file:
//       <PA_BLOCK ID="6">
//         <LIST_INFO></LIST_INFO>
//         <LIST_DATA>
//           <ENTRY_INFO><PA_ZONEALIAS ID="428" TYPE="9">North</PA_ZONEALIAS></ENTRY_INFO>
//           <ENTRY_DATA><PA_PERSINDEX ID="427" TYPE="1">0</PA_PERSINDEX></ENTRY_DATA>
//         </LIST_DATA>
//       </PA_BLOCK>

#include "platform/com.h"
#include "platform/oleauto.h"

struct ICodeplug : IUnknown {
    virtual HRESULT Reserved1() = 0;
    virtual HRESULT Reserved2() = 0;
    virtual HRESULT Reserved3() = 0;
    virtual HRESULT Reserved4() = 0;
    virtual HRESULT Reserved5() = 0;
    virtual HRESULT Reserved6() = 0;
    virtual HRESULT Reserved7() = 0;
    virtual HRESULT Reserved8() = 0;
    virtual HRESULT Reserved9() = 0;
    virtual HRESULT Reserved10() = 0;
    virtual HRESULT GetBlock(LONG fieldId, VARIANT* block) = 0;
    virtual HRESULT SetBlock(LONG fieldId, VARIANT* block) = 0;

protected:
    ~ICodeplug() = default;
};

inline constexpr IID IID_ICodeplug = {0x5b1e7c42, 0x93d0, 0x4a6e, {0x8f, 0x21, 0x6c, 0x0d, 0x3e, 0x57, 0xa9, 0x14}};
