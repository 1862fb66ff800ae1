#pragma once

// A wrapper of its own, opened on the built-in document server (or on
// whatever a test registers in its place first), and a codeplug object.

#include <gtest/gtest.h>

#include <string>

#include "codeplug/document_server.h"
#include "host/memory_codeplug.h"
#include "codeplug/status.h"
#include "platform/ansi.h"
#include "platform/unique_bstr.h"
#include "tests/support/com_apartment.h"
#include "tests/support/sample_codeplugs.h"

class Conversion : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(wrapper.Open(), XMLXSL_S_OK); }

    // Exports the codeplug object; the text narrowed through the ANSI code
    // page, empty on failure.
    DWORD exportText(ICodeplug* from, std::string& text, ExportMode mode = ExportMode::File) {
        unique_bstr xml;
        VARIANT language = english();
        DWORD status = wrapper.CodeplugToXml(xml.put(), from, mode, &language);
        VariantClear(&language);
        text = xml ? to_ansi(xml.get()) : std::string();
        return status;
    }

    DWORD importText(const std::string& text, ICodeplug* into) {
        unique_bstr xml = to_bstr(text);
        return wrapper.XmlToCodeplug(xml.get(), into);
    }

public:
    static VARIANT english() {
        VARIANT language;
        VariantInit(&language);
        language.vt = VT_BSTR;
        language.bstrVal = SysAllocString(u"English");
        return language;
    }

protected:
    ComApartment com;
    CDocumentServer wrapper;
    com_ptr<MemoryCodeplug> codeplug = MemoryCodeplug::Create(SmallCodeplug());
};
